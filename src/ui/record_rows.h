// The history and favorites lists as owner-data list views: their rows come from the row
// indexes in AppState, and the list asks only for the rows it draws.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "../history/history_model.h"

// The index behind the history or favorites list; null for any other list.
RowIndex* RowsOf(HWND list);
// After the index was rebuilt: every row new, none selected.
void ShowRows(HWND list);
// Shows a text the history just recorded: a row added at the top (ADDFLG) or the bottom,
// the rows below keeping their records selected; or, after a rewrite, the list anew with the
// first selected row's place selected again.
void ShowRecorded(HWND list, const ListChange& change);
// The record positions of the selected rows, in list order.
std::vector<int64_t> SelectedPositions(HWND list);
// LVN_GETDISPINFOW: a row's text (exactly, also where the code page cannot hold it), length
// or position, as the list draws it or another program asks for it in UTF-16.
void FillRowText(NMLVDISPINFOW* info);
// LVM_GETITEMTEXTA, and LVM_GETITEMA asking for text, at an owner-data list: the record's
// code page bytes as they are in the file (the list itself would convert its UTF-16
// text). False when the message is not one of these; *result gets the answer.
bool AnswerCodePageText(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
