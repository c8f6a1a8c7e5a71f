// The list window: tab control, the three report lists, row layout, tabs and layout.
#pragma once
#include <windows.h>

#include <vector>

#include "../store/record_file.h"

HWND CreateTabControl(HWND mainWindow, HINSTANCE instance);
// Creates a list, subclasses it with listProc and stores the previous procedure in *previous.
HWND CreateListControl(HWND mainWindow, HINSTANCE instance, int controlId, WNDPROC listProc,
                       WNDPROC* previous);

// Adds one row: at the top when ADDFLG is set, else at index.
void InsertRow(HWND list, int index, const char* text, int length, int position);
// Empties the list and shows the records as InsertRow would have, in linear time.
void FillRecordRows(HWND list, const std::vector<RecordText>& records);
// Appends a row at the bottom (text, length, position columns).
void AppendRow(HWND list, const char* text, int length, int position);
void SelectFirstRow(HWND list);
void SelectRow(HWND list, int row);

// Selected rows in list order from the top.
std::vector<int> SelectedRows(HWND list);
// The record positions held by the selected rows, in list order.
std::vector<int64_t> SelectedPositions(HWND list);

void SelectTab(HWND mainWindow, int index);
void CycleTab();
void TrackWindowRect(HWND mainWindow);
void LayoutChildren(HWND mainWindow);
// Activation of the main window: focus the list of the current tab.
void FocusCurrentList(HWND mainWindow);
// WM_NOTIFY at the main window.
LRESULT OnMainNotify(HWND mainWindow, const NMHDR* header);
