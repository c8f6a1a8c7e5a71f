#include "filter_line.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "../app/app_state.h"
#include "../clip/wide_text.h"
#include "../res/resource.h"
#include "list_rows.h"
#include "record_rows.h"

namespace {

HWND ListOfLine(HWND line) { return reinterpret_cast<HWND>(GetWindowLongPtrA(line, GWLP_USERDATA)); }

// The line takes the top of the list area, or gives it back: the main window lays out its
// children anew, as when it is resized.
void LayOutAgain() { SendMessageA(AppState.MainWindow, WM_SIZE, 0, 0); }

// Enter chooses the rows shown, Down goes down into them, Esc closes the line.
LRESULT CALLBACK FilterLineProc(HWND line, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND list = ListOfLine(line);
  if (message == WM_KEYDOWN && wParam == VK_RETURN) {
    // Enter here is Enter in the list it narrows: the rows shown are chosen, and hiding the
    // window closes this line.
    SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == VK_DOWN) {
    SetFocus(list);
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
    CloseFilterLine();
    return 0;
  }
  if (message == WM_CHAR && (wParam == '\r' || wParam == 27)) return 0;  // handled as keys, no beep
  return CallWindowProcW(AppState.FilterPrevProc, line, message, wParam, lParam);
}

}  // namespace

void OpenFilterLine(HWND list) {
  if (AppState.FilterLine && ListOfLine(AppState.FilterLine) != list) CloseFilterLine();
  if (!AppState.FilterLine) {
    // A Unicode edit: the text looked for may lie outside the code page.
    HWND line = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                AppState.MainWindow, reinterpret_cast<HMENU>(IDC_FILTER_LINE),
                                AppState.AppInstance, nullptr);
    if (!line) return;
    SetWindowLongPtrA(line, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(list));
    SendMessageA(line, WM_SETFONT, SendMessageA(list, WM_GETFONT, 0, 0), FALSE);
    AppState.FilterPrevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(line, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilterLineProc)));
    AppState.FilterLine = line;
    SetWindowPos(line, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);  // over the tab control
    LayOutAgain();
  }
  SetFocus(AppState.FilterLine);
}

void CloseFilterLine() {
  HWND line = AppState.FilterLine;
  if (!line) return;
  HWND list = ListOfLine(line);
  AppState.FilterLine = nullptr;
  bool hadFocus = GetFocus() == line;
  DestroyWindow(line);
  LayOutAgain();
  RowIndex* rows = RowsOf(list);
  if (!rows || rows->filter.utf8.empty()) return;
  // The whole list comes back with the chosen records still chosen.
  std::vector<int64_t> chosen = SelectedPositions(list);
  int focused = FocusedRow(list);
  const RecordSpan* focusedRecord = RecordOfRow(*rows, focused);
  int64_t focusedPosition = focusedRecord ? focusedRecord->position : -1;
  SetRowFilter(rows, {});
  ShowRows(list);
  for (int64_t position : chosen) SetRowState(list, RowOfPosition(*rows, position), LVIS_SELECTED, LVIS_SELECTED);
  int row = RowOfPosition(*rows, focusedPosition);
  if (row >= 0) {
    SetRowState(list, row, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
  }
  if (hadFocus) SetFocus(list);
}

void OnFilterLineCommand(WORD notification) {
  if (notification != EN_CHANGE || !AppState.FilterLine) return;
  HWND list = ListOfLine(AppState.FilterLine);
  RowIndex* rows = RowsOf(list);
  if (!rows) return;
  int size = GetWindowTextLengthW(AppState.FilterLine);
  std::wstring text(static_cast<size_t>(size) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(AppState.FilterLine, text.data(), size + 1)));
  RowFilter filter;
  filter.utf8 = Utf8FromWide(text);
  bool lost = false;
  filter.codePage = CodePageFromWide(text, &lost);
  filter.inCodePage = !lost;
  SetRowFilter(rows, filter);
  ShowRows(list);
  SelectFirstRow(list);
}
