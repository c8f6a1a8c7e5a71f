#include "list_window.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "../app/app_state.h"
#include "../res/resource.h"
#include "dpi.h"
#include "filter_line.h"
#include "list_rows.h"
#include "record_rows.h"
#include "window_area.h"

namespace {

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS |
                             LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER;
// Sizes at 96 DPI.
constexpr int kColumnWidths[3] = {460, 0, 0};
constexpr int kListMargin = 10, kListTop = 30;  // around the lists; at the top the tabs need more

void InsertTab(HWND tab, int index, const char* text) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(text);
  SendMessageA(tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
}

HFONT CreateTabFont() {
  LOGFONTA font = {};
  font.lfHeight = -Scaled(12);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = OUT_STROKE_PRECIS;
  font.lfClipPrecision = CLIP_STROKE_PRECIS;
  font.lfQuality = DRAFT_QUALITY;
  font.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
  lstrcpyA(font.lfFaceName, "ＭＳ ゴシック");
  return CreateFontIndirectA(&font);
}

// The tab font for the window's DPI, in place of the one before.
void SetTabFont(HWND tab) {
  static HFONT font = nullptr;  // lives while the tab control uses it
  HFONT old = font;
  font = CreateTabFont();
  SendMessageA(tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (old) DeleteObject(old);
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
  SetTabFont(tab);
  return tab;
}

HWND CreateListControl(HWND mainWindow, HINSTANCE instance, int controlId, WNDPROC listProc,
                       WNDPROC* previous, DWORD extraStyle) {
  HWND list = CreateWindowExA(0, "SysListView32", "", kListStyle | extraStyle, 0, 0, 0, 0, mainWindow,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance,
                              nullptr);
  if (!list) return nullptr;
  *previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc)));
  // Over the tab control's page area, also in the Z order: the tab control must not paint
  // over the list.
  SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = Scaled(kColumnWidths[i]);
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

// While copies come in quick succession, the list is painted (and its scroll bar set, which takes
// as long, shown or not) once they pause for kPaintMs, or every kLongestHoldMs: that work between
// two copies would keep the next one waiting, and the clipboard may change again meanwhile. Its
// rows are right at once; only the painting waits.
constexpr UINT kPaintMs = 50, kLongestHoldMs = 500;

void HoldListPainting(HWND window) {
  DWORD now = GetTickCount() | 1;  // 0 is "not held"
  if (!AppState.PaintHeldSince) {
    // Only while it is the tab shown: redraw turned on again makes a window visible in Windows.
    if (!(GetWindowLongA(AppState.HistoryList, GWL_STYLE) & WS_VISIBLE)) return;
    SendMessageA(AppState.HistoryList, WM_SETREDRAW, FALSE, 0);
    AppState.PaintHeldSince = now;
  }
  if (now - AppState.PaintHeldSince < kLongestHoldMs) SetTimer(window, ID_PAINT_TIMER, kPaintMs, nullptr);
}

void ReleaseListPainting(HWND window) {
  KillTimer(window, ID_PAINT_TIMER);
  if (!AppState.PaintHeldSince) return;
  AppState.PaintHeldSince = 0;
  SendMessageA(AppState.HistoryList, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(AppState.HistoryList, nullptr, TRUE);
}

void SelectTab(HWND mainWindow, int index) {
  ReleaseListPainting(mainWindow);  // before a list is shown or hidden
  CloseFilterLine();  // it narrows the list of the tab that is left
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

LRESULT OnMainNotify(HWND mainWindow, NMHDR* header) {
  if (header->code == static_cast<UINT>(LVN_GETDISPINFOW)) FillRowText(reinterpret_cast<NMLVDISPINFOW*>(header));
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

void KeepWindowOnScreen(HWND mainWindow) {
  RECT r;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetWindowRect(mainWindow, &r) ||
      !GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  const RECT& work = monitor.rcWork;
  // Enough of the caption to take hold of: twice its height.
  ScreenRect fit = FitRectInArea({r.left, r.top, r.right, r.bottom}, {work.left, work.top, work.right, work.bottom},
                                 2 * GetSystemMetrics(SM_CYSMCAPTION));
  if (fit.left == r.left && fit.top == r.top && fit.right == r.right && fit.bottom == r.bottom) return;
  SetWindowPos(mainWindow, nullptr, fit.left, fit.top, fit.right - fit.left, fit.bottom - fit.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  TrackWindowRect(mainWindow);  // a move alone sends no WM_SIZE
}

void LayoutChildren(HWND mainWindow) {
  RECT client;
  GetClientRect(mainWindow, &client);
  int w = client.right, h = client.bottom, left = Scaled(kListMargin), top = Scaled(kListTop);
  MoveWindow(AppState.TabControl, 0, 0, w, h, TRUE);
  // An open filter line takes the top of the list area.
  int line = AppState.FilterLine ? Scaled(kFilterLineHeight) : 0;
  if (line) MoveWindow(AppState.FilterLine, left, top, w - 2 * left, line, TRUE);
  for (HWND list : {AppState.HistoryList, AppState.FavoritesList, AppState.AAList})
    if (list) MoveWindow(list, left, top + line, w - 2 * left, h - top - left - line, TRUE);
}

void FocusCurrentList(HWND mainWindow) {
  UpdateWindow(mainWindow);
  int current = static_cast<int>(SendMessageA(AppState.TabControl, TCM_GETCURSEL, 0, 0));
  HWND list = ListOfTab(current < 0 || current > 2 ? 2 : current);
  if (list) SetFocus(list);
}

void HideListWindow(HWND mainWindow) {
  ShowWindow(mainWindow, SW_HIDE);
  AppState.ListShown = 0;
  CloseFilterLine();
}

void OnDpiChanged(HWND mainWindow, WPARAM dpi, const RECT* suggested) {
  AppState.Dpi = HIWORD(dpi);
  SetTabFont(AppState.TabControl);
  SetListFonts();
  for (HWND list : {AppState.HistoryList, AppState.FavoritesList, AppState.AAList})
    if (list) SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, Scaled(kColumnWidths[0]));
  SetWindowPos(mainWindow, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutChildren(mainWindow);  // the margins change also where the size stays
}
