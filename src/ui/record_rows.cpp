#include "record_rows.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "../app/app_state.h"
#include "../app/data_dir.h"
#include "../clip/wide_text.h"
#include "../store/record_text.h"
#include "list_rows.h"

RowIndex* RowsOf(HWND list) {
  if (list && list == AppState.HistoryList) return &AppState.History.history;
  if (list && list == AppState.FavoritesList) return &AppState.History.favorites;
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

ChosenRecords ChosenRecordsOf(HWND list) {
  ChosenRecords chosen;
  const RowIndex* rows = RowsOf(list);
  if (!rows) return chosen;
  chosen.rows = SelectedRows(list);
  chosen.focusedRow = FocusedRow(list);
  for (int row : chosen.rows)
    if (const RecordSpan* record = RecordOfRow(*rows, row)) chosen.positions.push_back(record->position);
  const RecordSpan* focused = RecordOfRow(*rows, chosen.focusedRow);
  chosen.positions.push_back(focused ? focused->position : -1);
  return chosen;
}

void ShowRecorded(HWND list, const ChosenRecords& chosen, const ListChange& change) {
  const RowIndex* rows = RowsOf(list);
  if (!rows || change.kind == ListChange::kUnchanged) return;
  std::vector<int> now = RowsAfterRecording(AppState.History, change, chosen.positions);
  if (change.kind == ListChange::kReloaded) {
    ShowRows(list);
  } else {
    // The rows of an owner-data list keep their states by number: only the chosen rows had
    // any (the whole list may hold 100,000 of them).
    for (int r : chosen.rows) SetRowState(list, r, 0, LVIS_SELECTED);
    if (chosen.focusedRow >= 0) SetRowState(list, chosen.focusedRow, 0, LVIS_FOCUSED);
    SendMessageA(list, LVM_SETITEMCOUNT, RowCount(*rows), LVSICF_NOSCROLL);
  }
  int focused = now.empty() ? -1 : now.back();
  for (size_t i = 0; i + 1 < now.size(); ++i) {
    if (now[i] < 0) continue;
    SetRowState(list, now[i], LVIS_SELECTED, LVIS_SELECTED);
    if (focused < 0) focused = now[i];
  }
  if (focused >= 0) SetRowState(list, focused, LVIS_FOCUSED, LVIS_FOCUSED);
  if (change.kind == ListChange::kReloaded && chosen.rows.empty()) SelectFirstRow(list);
}

std::vector<int64_t> SelectedPositions(HWND list) {
  std::vector<int64_t> positions;
  if (const RowIndex* rows = RowsOf(list))
    for (int row : SelectedRows(list))
      if (const RecordSpan* record = RecordOfRow(*rows, row)) positions.push_back(record->position);
  return positions;
}

// Copies as much of the code page text as fits, with its terminating zero, never half a
// character; the number of bytes copied.
static int CopyWholeCharacters(std::string_view text, char* out, int capacity) {
  if (!out || capacity <= 0) return 0;
  size_t n = 0;
  while (n < text.size() && text[n] != '\0') {
    size_t size =
        IsLeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size() && text[n + 1] != '\0' ? 2 : 1;
    if (n + size >= static_cast<size_t>(capacity)) break;
    n += size;
  }
  text.copy(out, n);
  out[n] = '\0';
  return static_cast<int>(n);
}

// The same in UTF-16, never half of a surrogate pair.
static void CopyWholeCharacters(std::wstring_view text, wchar_t* out, int capacity) {
  if (!out || capacity <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
  if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  text.copy(out, n);
  out[n] = L'\0';
}

// A row's column as the list shows it: the record, its length or its position; null for
// a row that is not there.
static const RecordSpan* RowColumn(HWND list, int row, int column, std::string_view* record, char* number) {
  const RowIndex* rows = RowsOf(list);
  const RecordSpan* span = rows ? RecordOfRow(*rows, row) : nullptr;
  if (!span) return nullptr;
  *record = TextOf(*rows, *span);
  snprintf(number, 24, "%lld", static_cast<long long>(column == 1 ? span->length : span->position));
  return span;
}

void FillRowText(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  std::string_view record;
  char number[24];
  if (!(item.mask & LVIF_TEXT)) return;
  const RecordSpan* span = RowColumn(info->hdr.hwndFrom, item.iItem, item.iSubItem, &record, number);
  if (!span) return;
  // Only what the row can show is converted: a long record costs no more than a short one.
  size_t exact = item.iSubItem == 0 ? ExactStartOf(*RowsOf(info->hdr.hwndFrom), *span) : 0;
  std::string_view shown = TextPrefix(item.iSubItem == 0 ? record : number, exact,
                                      static_cast<size_t>(std::max(item.cchTextMax, 0)));
  CopyWholeCharacters(exact > 0 ? WideFromUtf8(shown) : WideFromCodePage(shown), item.pszText, item.cchTextMax);
}

bool AnswerCodePageText(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto* item = reinterpret_cast<LVITEMA*>(lParam);
  std::string_view record;
  char number[24];
  if ((message != LVM_GETITEMTEXTA && message != LVM_GETITEMA) || !item || !RowsOf(list)) return false;
  if (message == LVM_GETITEMA && !(item->mask & LVIF_TEXT)) return false;
  int row = message == LVM_GETITEMA ? item->iItem : static_cast<int>(wParam);
  if (!RowColumn(list, row, item->iSubItem, &record, number)) return false;
  // The copy stops at the code page text's zero byte: the record is not searched to its end.
  int copied = CopyWholeCharacters(item->iSubItem == 0 ? record : number, item->pszText, item->cchTextMax);
  if (message == LVM_GETITEMTEXTA) *result = copied;
  return true;
}
