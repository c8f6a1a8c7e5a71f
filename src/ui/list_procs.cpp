#include "list_procs.h"

#include <commctrl.h>

#include <new>

#include "../app/app_state.h"
#include "../clip/paste.h"
#include "../res/resource.h"
#include "aa_list.h"
#include "filter_line.h"
#include "list_window.h"
#include "record_lists.h"
#include "record_rows.h"

namespace {

enum ListKind { kHistory = 0, kFavorites = 1, kAA = 2 };

// With SELINDEX 0 a list that gets the focus starts again at its first row.
void ResetSelectionOnFocus(HWND list) {
  int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  do {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (row == -1) break;  // index -1 already cleared every row
    row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
  } while (row != -1);
  SelectFirstRow(list);
}

// Drops the key messages queued for the list, so that the characters of the key just
// handled and piled-up auto-repeats never reach it.
void DrainKeyboard(HWND list) {
  MSG msg;
  while (PeekMessageA(&msg, list, WM_KEYFIRST, 0x108, PM_REMOVE)) {
  }
}

void Gather(ListKind kind, HWND list) {
  if (kind == kHistory)
    GatherSelectedRecords(list);
  else if (kind == kFavorites)
    PasteFromFavorites(list);
  else
    GatherAARows(list);
}

ListKind KindOf(HWND list) {
  return list == AppState.HistoryList ? kHistory : list == AppState.FavoritesList ? kFavorites : kAA;
}

void OnListKey(ListKind kind, HWND list, WPARAM key) {
  switch (LOWORD(key)) {
    case VK_TAB: CycleTab(); break;
    case VK_RETURN: ChooseRows(list); break;
    case VK_ESCAPE:
      if (Settings.ESCKEY == 1) SendMessageA(AppState.MainWindow, WM_CLOSE, 0, 0);
      break;
    case VK_DELETE:
      if (kind == kHistory) DeleteFromHistory(list);
      if (kind == kFavorites) DeleteFromFavorites(list);
      break;
    case 'S':
      if (kind == kHistory) SaveToFavorites(list);
      break;
    case 'F':
      if (kind != kAA && GetKeyState(VK_CONTROL) < 0) OpenFilterLine(list);
      break;
    case VK_CONTROL:
    case VK_SHIFT:
      // A modifier has no characters and its repeats do nothing; the key pressed with it
      // may already be queued behind it (Ctrl+F, Shift+Tab) and must not be drained.
      return;
  }
  DrainKeyboard(list);
}

void ShowRowPopup(HWND list, LPARAM point) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(list, GWLP_HINSTANCE));
  HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_ROWPOPUP));
  HMENU popup = GetSubMenu(menu, 0);
  UINT state = SelectedRows(list).empty() ? MF_GRAYED : MF_ENABLED;
  EnableMenuItem(popup, IDM_SAVE_ROWS, MF_BYCOMMAND | state);
  EnableMenuItem(popup, IDM_DELETE_ROWS, MF_BYCOMMAND | state);
  POINT p = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  ClientToScreen(list, &p);
  TrackPopupMenu(popup, 0, p.x, p.y, 0, list, nullptr);  // commands come back to the list
  DestroyMenu(menu);
}

void OnListMessage(ListKind kind, HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      Settings.TAB = kind;
      if (Settings.SELINDEX == 0) ResetSelectionOnFocus(list);
      break;
    case WM_KEYDOWN: OnListKey(kind, list, wParam); break;
    case WM_LBUTTONDBLCLK: ChooseRows(list); break;
    case WM_RBUTTONDOWN:
      if (kind == kHistory) ShowRowPopup(list, lParam);
      break;
    case WM_COMMAND:
      if (kind == kHistory && LOWORD(wParam) == IDM_SAVE_ROWS) SaveToFavorites(list);
      if (kind == kHistory && LOWORD(wParam) == IDM_DELETE_ROWS) DeleteFromHistory(list);
      break;
  }
}

LRESULT HandleListMessage(ListKind kind, WNDPROC previous, HWND list, UINT message, WPARAM wParam,
                          LPARAM lParam) {
  LRESULT result = 0;
  if (message == LVM_GETITEMA) result = CallWindowProcA(previous, list, message, wParam, lParam);
  if (AnswerCodePageText(list, message, wParam, lParam, &result) || message == LVM_GETITEMA) return result;
  try {
    OnListMessage(kind, list, message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    // the operation stopped; the list still gets its message
  }
  return CallWindowProcA(previous, list, message, wParam, lParam);
}

}  // namespace

void ChooseRows(HWND list) {
  Gather(KindOf(list), list);
  SendMessageA(AppState.MainWindow, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK HistoryListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleListMessage(kHistory, AppState.HistoryPrevProc, list, message, wParam, lParam);
}

LRESULT CALLBACK FavoritesListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleListMessage(kFavorites, AppState.FavoritesPrevProc, list, message, wParam, lParam);
}

LRESULT CALLBACK AAListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleListMessage(kAA, AppState.AAPrevProc, list, message, wParam, lParam);
}
