#include "aa_list.h"

#include <commctrl.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "../app/app_state.h"
#include "../clip/paste.h"
#include "../clip/wide_text.h"
#include "aa_lines.h"
#include "list_rows.h"

namespace {

void SetSubItem(HWND list, int row, int column, int value) {
  wchar_t number[16];
  swprintf(number, 16, L"%d", value);
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = number;
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// One row: the line, its length in bytes in the file and its ordinal. A list holds its
// texts in UTF-16, so a line of a UTF-8 file shows exactly.
void InsertRowAt(HWND list, int index, const std::wstring& text, int length) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  SetSubItem(list, index, 1, length);
  SetSubItem(list, index, 2, index);
}

std::string ReadWholeFile(const char* path) {
  std::string bytes;
  if (FILE* file = fopen(path, "rb")) {
    char block[4096];
    for (size_t got; (got = fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, got);
    fclose(file);
  }
  return bytes;
}

// The file's lines: as UTF-8 when it is written so, else in the code page as always.
std::vector<std::string> ReadLines(const char* path, bool* utf8) {
  std::string bytes = ReadWholeFile(path);
  *utf8 = ReadsAsUtf8(bytes);
  if (*utf8) return SplitUtf8Lines(bytes);
  std::vector<std::string> lines;
  if (FILE* file = fopen(path, "r")) {
    lines = ReadAALines(file);
    fclose(file);
  }
  return lines;
}

// A row's text whole, read with a buffer doubled while the text may have been cut.
std::wstring RowText(HWND list, int row) {
  for (size_t capacity = 1024;; capacity *= 2) {
    std::wstring buffer(capacity + 1, L'\0');
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(capacity);
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    size_t length = wcslen(buffer.c_str());
    // A text cut inside a surrogate pair comes back one unit shorter still.
    if (length + 2 < capacity) return buffer.substr(0, length);
  }
}

}  // namespace

void LoadAAList(HWND list) {
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  char path[kPathSize];
  MakeDataPath("AAList.txt", path);
  bool utf8 = false;
  std::vector<std::string> lines = ReadLines(path, &utf8);
  // Rows stand in file order whatever ADDFLG says; the position column is the ordinal.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (size_t i = 0; i < lines.size(); ++i)
    InsertRowAt(list, static_cast<int>(i), utf8 ? WideFromUtf8(lines[i]) : WideFromCodePage(lines[i]),
                static_cast<int>(lines[i].size()));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void GatherAARows(HWND list) {
  ReleasePendingPaste();
  if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) <= 0) return;
  try {
    std::wstring joined;
    std::vector<int> rows = SelectedRows(list);
    for (size_t i = 0; i < rows.size(); ++i) joined += (i > 0 ? L"\r\n" : L"") + RowText(list, rows[i]);
    bool lost = false;
    std::string codePage = CodePageFromWide(joined, &lost);
    SetPendingPaste(codePage, lost ? &joined : nullptr);
  } catch (const std::bad_alloc&) {
    ReleasePendingPaste();
  }
}
