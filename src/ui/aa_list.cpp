#include "aa_list.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "../app/app_state.h"
#include "../clip/paste.h"
#include "aa_lines.h"
#include "list_window.h"

namespace {

void SetSubItem(HWND list, int row, int column, int value) {
  char number[16];
  snprintf(number, sizeof number, "%d", value);
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = number;
  SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void InsertRowAt(HWND list, int index, const char* text, int length, int position) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<char*>(text);
  SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SetSubItem(list, index, 1, length);
  SetSubItem(list, index, 2, position);
}

}  // namespace

void LoadAAList(HWND list) {
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  char path[kPathSize];
  MakeDataPath("AAList.txt", path);
  FILE* file = fopen(path, "r");
  if (!file) return;
  std::vector<std::string> lines = ReadAALines(file);
  fclose(file);
  // Rows stand in file order whatever ADDFLG says; the position column is the ordinal.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (size_t i = 0; i < lines.size(); ++i)
    InsertRowAt(list, static_cast<int>(i), lines[i].c_str(), static_cast<int>(lines[i].size()), static_cast<int>(i));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// Reads a row's text whole, doubling the buffer while the text may have been cut.
static bool ReadRowText(HWND list, int row, std::string* text) {
  for (size_t capacity = 1024;; capacity *= 2) {
    char* buffer = static_cast<char*>(calloc(capacity + 1, 1));
    if (!buffer) return false;
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(capacity);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    size_t length = strlen(buffer);
    // A text cut inside a double-byte character comes back one byte shorter still.
    if (length + 2 < capacity) {
      text->assign(buffer, length);
      free(buffer);
      return true;
    }
    free(buffer);
  }
}

void GatherAARows(HWND list) {
  ReleasePendingPaste();
  if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) <= 0) return;
  try {
    std::vector<std::string> texts;
    for (int row : SelectedRows(list)) {
      texts.emplace_back();
      if (!ReadRowText(list, row, &texts.back())) return;  // nothing rather than part
    }
    SetPendingPaste(texts, "\r\n");
  } catch (const std::bad_alloc&) {
    ReleasePendingPaste();
  }
}
