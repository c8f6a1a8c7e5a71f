#include "record_rows.h"

#include <cstdio>
#include <string>

#include "../app/app_state.h"
#include "../app/data_dir.h"
#include "list_window.h"
#include "record_lists.h"

RowIndex* RowsOf(HWND list) {
  if (list && list == AppState.HistoryList) return &AppState.HistoryRows;
  if (list && list == AppState.FavoritesList) return &AppState.FavoriteRows;
  return nullptr;
}

void ShowRows(HWND list) {
  const RowIndex* rows = RowsOf(list);
  if (!rows) return;
  // A count for all the rows, however many: the list asks for the texts it draws. Going
  // through none drops the old rows' states (and is faster than deleting them); the
  // scroll bar is redrawn once, at the end.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_SETITEMCOUNT, 0, 0);
  SendMessageA(list, LVM_SETITEMCOUNT, RowCount(*rows), 0);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

void InsertRow(HWND list, int, const char* text, int length, int position) {
  RowIndex* rows = RowsOf(list);
  if (!rows) return;
  std::vector<int> selected = SelectedRows(list);
  int focused = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  int row = AddRecordToIndex(rows, position, text, length);
  if (row == -2) {  // out of step with the file: read it again
    LoadRecordList(list, nullptr);
    return;
  }
  SendMessageA(list, LVM_SETITEMCOUNT, RowCount(*rows), LVSICF_NOSCROLL);
  bool moves = row >= 0 && focused >= row;
  for (int r : selected) moves = moves || (row >= 0 && r >= row);
  if (!moves) return;
  // A row added above moves the rows below it down by one; their states go with them. Only
  // these rows are touched: the whole list may hold 100,000 of them.
  for (int r : selected) SetRowState(list, r, 0, LVIS_SELECTED);
  if (focused >= 0) SetRowState(list, focused, 0, LVIS_FOCUSED);
  for (int r : selected) SetRowState(list, r >= row ? r + 1 : r, LVIS_SELECTED, LVIS_SELECTED);
  if (focused >= 0) SetRowState(list, focused >= row ? focused + 1 : focused, LVIS_FOCUSED, LVIS_FOCUSED);
}

std::vector<int64_t> SelectedPositions(HWND list) {
  std::vector<int64_t> positions;
  if (const RowIndex* rows = RowsOf(list))
    for (int row : SelectedRows(list))
      if (const RecordSpan* record = RecordOfRow(*rows, row)) positions.push_back(record->position);
  return positions;
}

// Copies as much of the text as fits before the terminating zero, never half a character.
static void CopyWholeCharacters(std::string_view text, char* out, int capacity) {
  if (!out || capacity <= 0) return;
  size_t n = 0;
  while (n < text.size() && text[n] != '\0') {
    size_t size = IsLeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size() ? 2 : 1;
    if (n + size >= static_cast<size_t>(capacity)) break;
    n += size;
  }
  text.copy(out, n);
  out[n] = '\0';
}

void FillRowText(NMLVDISPINFOA* info) {
  LVITEMA& item = info->item;
  const RowIndex* rows = RowsOf(info->hdr.hwndFrom);
  const RecordSpan* record = rows ? RecordOfRow(*rows, item.iItem) : nullptr;
  if (!record || !(item.mask & LVIF_TEXT)) return;
  char number[24];
  if (item.iSubItem == 0) {
    CopyWholeCharacters(TextOf(*rows, *record), item.pszText, item.cchTextMax);
    return;
  }
  snprintf(number, sizeof number, "%lld",
           static_cast<long long>(item.iSubItem == 1 ? record->length : record->position));
  CopyWholeCharacters(number, item.pszText, item.cchTextMax);
}
