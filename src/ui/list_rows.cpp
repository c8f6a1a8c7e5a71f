#include "list_rows.h"

#include <commctrl.h>

void SetRowState(HWND list, int row, UINT state, UINT mask) {
  LVITEMA item = {};
  item.stateMask = mask;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SelectRow(HWND list, int row) {
  SetRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void SelectFirstRow(HWND list) {
  if (list && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0) SelectRow(list, 0);
}

std::vector<int> SelectedRows(HWND list) {
  std::vector<int> rows;
  if (!list) return rows;
  // The search for one more selected row would walk to the end of a long list.
  size_t count = static_cast<size_t>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
  int row = -1;
  while (rows.size() < count && (row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) != -1)
    rows.push_back(row);
  return rows;
}

int FocusedRow(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}
