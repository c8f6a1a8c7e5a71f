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
// What the user has chosen in the history list, taken before a recording changes its rows.
struct ChosenRecords {
  std::vector<int> rows;  // the selected rows, as the list shows them
  int focusedRow = -1;
  std::vector<int64_t> positions;  // the records of the selected rows, then of the focused one
};
ChosenRecords ChosenRecordsOf(HWND list);
// Shows what a recording changed: the rows added (at the top with ADDFLG) or the list anew
// after a rewrite, the selection and the focus on the records chosen before, wherever they are
// now. A list reloaded with nothing selected selects its first row.
void ShowRecorded(HWND list, const ChosenRecords& chosen, const ListChange& change);
// The record positions of the selected rows, in list order.
std::vector<int64_t> SelectedPositions(HWND list);
// LVN_GETDISPINFOW: a row's text (exactly, also where the code page cannot hold it), length
// or position, as the list draws it or another program asks for it in UTF-16.
void FillRowText(NMLVDISPINFOW* info);
// LVM_GETITEMTEXTA, and LVM_GETITEMA asking for text, at an owner-data list: the record's
// code page bytes as they are in the file (the list itself would convert its UTF-16
// text). False when the message is not one of these; *result gets the answer.
bool AnswerCodePageText(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
