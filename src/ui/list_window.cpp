#include "list_window.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "../app/app_state.h"
#include "../res/resource.h"

namespace {

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS |
                             LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER;

void InsertTab(HWND tab, int index, const char* text) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(text);
  SendMessageA(tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
}

HFONT CreateTabFont() {
  LOGFONTA font = {};
  font.lfHeight = -12;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = OUT_STROKE_PRECIS;
  font.lfClipPrecision = CLIP_STROKE_PRECIS;
  font.lfQuality = DRAFT_QUALITY;
  font.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
  lstrcpyA(font.lfFaceName, "ＭＳ ゴシック");
  return CreateFontIndirectA(&font);
}

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

HWND ListOfTab(int index) {
  if (index == 0) return AppState.HistoryList;
  if (index == 1) return AppState.FavoritesList;
  return AppState.AAList;
}

}  // namespace

HWND CreateTabControl(HWND mainWindow, HINSTANCE instance) {
  HWND tab = CreateWindowExA(0, "SysTabControl32", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                             0, 0, 0, 0, mainWindow, reinterpret_cast<HMENU>(IDC_TAB), instance,
                             nullptr);
  if (!tab) return nullptr;
  InsertTab(tab, 0, "コピー履歴");
  InsertTab(tab, 1, "お気に入り");
  if (AppState.LastTabIndex == 2) InsertTab(tab, 2, "ＡＡリスト");
  static HFONT font = CreateTabFont();  // lives until the process ends
  SendMessageA(tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return tab;
}

HWND CreateListControl(HWND mainWindow, HINSTANCE instance, int controlId, WNDPROC listProc,
                       WNDPROC* previous) {
  HWND list = CreateWindowExA(0, "SysListView32", "", kListStyle, 0, 0, 0, 0, mainWindow,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance,
                              nullptr);
  if (!list) return nullptr;
  *previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc)));
  // Over the tab control's page area, also in the Z order: the tab control must not paint
  // over the list.
  SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  static const int kWidths[3] = {460, 0, 0};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kWidths[i];
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

void InsertRow(HWND list, int index, const char* text, int length, int position) {
  InsertRowAt(list, Settings.ADDFLG ? 0 : index, text, length, position);
}

void AppendRow(HWND list, const char* text, int length, int position) {
  int end = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  InsertRowAt(list, end, text, length, position);
}

void FillRecordRows(HWND list, const std::vector<RecordText>& records) {
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  if (!list || records.empty()) return;
  // Inserting every row at the top costs time quadratic in the rows; appending them
  // walked from the newest gives the same order in linear time.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_SETITEMCOUNT, records.size(), 0);
  size_t n = records.size();
  for (size_t i = 0; i < n; ++i) {
    const RecordText& r = records[Settings.ADDFLG ? n - 1 - i : i];
    InsertRowAt(list, static_cast<int>(i), r.text.c_str(), static_cast<int>(r.text.size()),
                static_cast<int>(r.position));
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void SelectRow(HWND list, int row) {
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void SelectFirstRow(HWND list) {
  if (list && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0) SelectRow(list, 0);
}

std::vector<int> SelectedRows(HWND list) {
  std::vector<int> rows;
  if (!list) return rows;
  int row = -1;
  while ((row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) != -1)
    rows.push_back(row);
  return rows;
}

std::vector<int64_t> SelectedPositions(HWND list) {
  std::vector<int64_t> positions;
  for (int row : SelectedRows(list)) {
    char text[128] = {};
    LVITEMA item = {};
    item.iSubItem = 2;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    positions.push_back(strtoll(text, nullptr, 10));
  }
  return positions;
}

void SelectTab(HWND mainWindow, int index) {
  if (AppState.LastTabIndex != 2 && Settings.TAB > AppState.LastTabIndex) {
    index = Settings.TAB - 1;
    Settings.TAB = index;
  }
  SendMessageA(AppState.TabControl, TCM_SETCURSEL, index, 0);
  HWND target;
  if (index == 1) {
    ShowWindow(AppState.HistoryList, SW_HIDE);
    ShowWindow(AppState.FavoritesList, SW_SHOW);
    if (AppState.AAList) ShowWindow(AppState.AAList, SW_HIDE);
    target = AppState.FavoritesList;
  } else if (index == 2 && AppState.AAList) {
    ShowWindow(AppState.HistoryList, SW_HIDE);
    ShowWindow(AppState.FavoritesList, SW_HIDE);
    ShowWindow(AppState.AAList, SW_SHOW);
    target = AppState.AAList;
  } else {
    // Any index that names no list shows the history.
    ShowWindow(AppState.HistoryList, SW_SHOW);
    ShowWindow(AppState.FavoritesList, SW_HIDE);
    if (AppState.AAList) ShowWindow(AppState.AAList, SW_HIDE);
    target = AppState.HistoryList;
  }
  UpdateWindow(mainWindow);
  SetFocus(target);
}

void CycleTab() {
  int current = static_cast<int>(SendMessageA(AppState.TabControl, TCM_GETCURSEL, 0, 0));
  int next = current >= AppState.LastTabIndex ? 0 : current + 1;
  SendMessageA(AppState.TabControl, TCM_SETCURSEL, next, 0);
  // Setting the selection by message does not notify; switch the lists the same way a click does.
  NMHDR header = {};
  header.code = TCN_SELCHANGE;
  SendMessageA(AppState.MainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

LRESULT OnMainNotify(HWND mainWindow, const NMHDR* header) {
  if (header->code == static_cast<UINT>(TCN_SELCHANGE))
    SelectTab(mainWindow, static_cast<int>(SendMessageA(AppState.TabControl, TCM_GETCURSEL, 0, 0)));
  return 0;
}

void TrackWindowRect(HWND mainWindow) {
  RECT r;
  if (!GetWindowRect(mainWindow, &r)) return;
  Settings.X = r.left;
  Settings.Y = r.top;
  Settings.WIDTH = r.right - r.left;
  Settings.HEIGHT = r.bottom - r.top;
}

void LayoutChildren(HWND mainWindow) {
  RECT client;
  GetClientRect(mainWindow, &client);
  int w = client.right, h = client.bottom;
  MoveWindow(AppState.TabControl, 0, 0, w, h, TRUE);
  for (HWND list : {AppState.HistoryList, AppState.FavoritesList, AppState.AAList})
    if (list) MoveWindow(list, 10, 30, w - 20, h - 40, TRUE);
}

void FocusCurrentList(HWND mainWindow) {
  UpdateWindow(mainWindow);
  int current = static_cast<int>(SendMessageA(AppState.TabControl, TCM_GETCURSEL, 0, 0));
  HWND list = ListOfTab(current < 0 || current > 2 ? 2 : current);
  if (list) SetFocus(list);
}
