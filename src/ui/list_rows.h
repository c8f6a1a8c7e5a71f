// The rows of any of the lists: selection and focus.
#pragma once
#include <windows.h>

#include <vector>

void SelectFirstRow(HWND list);
void SelectRow(HWND list, int row);  // selected and focused
void SetRowState(HWND list, int row, UINT state, UINT mask);  // row -1: every row
// Selected rows in list order from the top.
std::vector<int> SelectedRows(HWND list);
int FocusedRow(HWND list);  // -1 when no row has the focus
