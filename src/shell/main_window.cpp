#include "main_window.h"

#include <commctrl.h>

#include <new>

#include "../app/app_state.h"
#include "../app/settings.h"
#include "../clip/capture.h"
#include "../clip/paste.h"
#include "../res/resource.h"
#include "../ui/aa_list.h"
#include "../ui/commands.h"
#include "../ui/dpi.h"
#include "../ui/filter_line.h"
#include "../ui/history_commands.h"
#include "../ui/hotkeys.h"
#include "../ui/list_procs.h"
#include "../ui/list_rows.h"
#include "../ui/list_window.h"
#include "../ui/record_rows.h"
#include "../ui/sync_view.h"
#include "../ui/tray.h"

void StartOpeningHistory() {
  BeginOpeningHistory(&AppState.History, AppState.DataDir, Settings.BOOTINIT, HistoryOptionsFromSettings());
}

int PrepareStartup(HWND window) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  int result = FinishOpeningHistory(&AppState.History, [window] { PostMessageA(window, WM_APP_HISTORY_WRITTEN, 0, 0); });
  if (result != 0) return result;
  char aaPath[kPathSize];
  MakeDataPath("AAList.txt", aaPath);
  AppState.LastTabIndex = PathExists(aaPath) ? 2 : 1;
  AppState.ListShown = 0;
  AppState.SelfCopyPending = 0;
  AppState.PendingPaste = {};
  AppState.PromptOpen = 0;
  AppState.CaptureEnabled = 1;
  AppState.SkipFirstDraw = 1;
  return 0;
}

void Shutdown(HWND mainWindow) {
  SaveSettings();
  FinishSyncing();
  UnregisterAllHotKeys(mainWindow);
  // A second Shutdown (after a cancelled log-off) finds the work file closed already, and
  // replaces only the saved history: the backup is made once a run.
  CloseHistory(&AppState.History);
}

static void BuildListWindow(HWND mainWindow, HINSTANCE instance) {
  AppState.TabControl = CreateTabControl(mainWindow, instance);
  AppState.HistoryList = CreateListControl(mainWindow, instance, IDC_HISTORY_LIST, HistoryListProc,
                                           &AppState.HistoryPrevProc, LVS_OWNERDATA);
  ShowRows(AppState.HistoryList);
  SelectFirstRow(AppState.HistoryList);
  AppState.FavoritesList = CreateListControl(mainWindow, instance, IDC_FAVORITES_LIST, FavoritesListProc,
                                             &AppState.FavoritesPrevProc, LVS_OWNERDATA);
  ShowRows(AppState.FavoritesList);
  SelectFirstRow(AppState.FavoritesList);
  if (AppState.LastTabIndex == 2) {
    AppState.AAList = CreateListControl(mainWindow, instance, IDC_AA_LIST, AAListProc, &AppState.AAPrevProc);
    LoadAAList(AppState.AAList);
    SelectFirstRow(AppState.AAList);
  }
  SelectTab(mainWindow, Settings.TAB);
}

static LRESULT OnCreate(HWND window, const CREATESTRUCTA* create) {
  if (PrepareStartup(window) != 0) {
    CloseWorkFile(&AppState.History);
    DestroyWindow(window);
    return 0;
  }
  AppState.MainWindow = window;
  AppState.AppInstance = create->hInstance;
  AppState.Dpi = WindowDpi(window);
  BuildListWindow(window, create->hInstance);
  FitToDpi(window);
  RegisterAllHotKeys(window);
  AddTrayIcon(window);
  JoinClipboard(window);
  LoadTrayMenu();
  StartSyncing(window);
  return 0;
}

static void OnDestroy(HWND window) {
  if (AppState.MainWindow) {  // a window that failed its start-up joined nothing
    LeaveClipboard(window);
    DeleteTrayIcon();
    DestroyMenu(AppState.TrayMenu);
  }
  PostQuitMessage(0);
}

static LRESULT OnQueryEndSession(HWND window) {
  Shutdown(window);
  AppState.SessionEnded = 1;
  return 1;
}

// Another program vetoed the end of the session after we had closed and rotated the
// history: go on working with the work file open again and the hot keys back.
static void OnEndSession(HWND window, WPARAM ending) {
  if (ending || !AppState.SessionEnded) return;
  AppState.SessionEnded = 0;
  EnsureWorkFile(&AppState.History);
  RegisterAllHotKeys(window);
}

static void OnActivate(HWND window, WPARAM wParam) {
  if (LOWORD(wParam) != WA_INACTIVE) {
    FocusCurrentList(window);
    return;
  }
  if (AppState.PromptOpen == 1) return;  // the delete confirmation keeps the list on screen
  HideListWindow(window);
  StartPasteBack(window);
}

// Records a clipboard change (or tries again one that found the clipboard busy) and shows it,
// the selection staying on the records the user chose.
static void RecordClipboardChange(HWND window, bool retry) {
  ChosenRecords chosen = ChosenRecordsOf(AppState.HistoryList);
  ListChange change;
  retry ? RetryClipboardChange(window, &change) : TakeClipboardChange(window, &change);
  if (change.kind != ListChange::kUnchanged) HoldListPainting(window);
  ShowRecorded(AppState.HistoryList, chosen, change);
}

// A clipboard change is recorded and shown before the next viewer hears of it.
static void OnDrawClipboard(HWND window, WPARAM wParam, LPARAM lParam) {
  RecordClipboardChange(window, false);
  PassClipboardChange(wParam, lParam);
}

static void OnTimer(HWND window, WPARAM id) {
  switch (id) {
    case ID_SYNC_TIMER: OnSyncTimer(window); break;
    case ID_CAPTURE_TIMER: RecordClipboardChange(window, true); break;
    case ID_PAINT_TIMER: ReleaseListPainting(window); break;
    default: OnPasteTimer(window); break;
  }
}

static void Quit(HWND window) {
  // The options sheet's loop runs inside this window's message handling, and the sheet is this
  // window's: destroyed under it, the sheet would be left in the middle of its own work. The
  // user finishes with the sheet first.
  if (AppState.OptionsOpen) {
    if (AppState.OptionsSheet) SetForegroundWindow(GetLastActivePopup(AppState.OptionsSheet));
    return;
  }
  Shutdown(window);
  DestroyWindow(window);
}

// The shell's notification area was re-created (Explorer restarted): put the icon back.
static void OnTaskbarCreated(HWND window) {
  AddTrayIcon(window);
}

static LRESULT DispatchMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_SIZE: TrackWindowRect(window); LayoutChildren(window); return 0;
    case WM_ACTIVATE: OnActivate(window, wParam); return 0;
    case WM_CLOSE: HideListWindow(window); return 0;
    case WM_APP_QUIT: Quit(window); return 0;
    case WM_QUERYENDSESSION: return OnQueryEndSession(window);
    case WM_ENDSESSION: OnEndSession(window, wParam); return 0;
    case WM_NOTIFY: return OnMainNotify(window, reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
      if (lParam && reinterpret_cast<HWND>(lParam) == AppState.FilterLine) {
        OnFilterLineCommand(HIWORD(wParam));
        return 0;
      }
      return HandleCommand(window, AppState.AppInstance, wParam);
    case WM_TIMER: OnTimer(window, wParam); return 0;
    case WM_APP_SYNC_FLUSH: FlushSyncOutbox(window); return 0;
    case WM_APP_SYNC_NAME_TAKEN: ShowSyncNameTaken(window, AppState.Sync.config.name.c_str(), true); return 0;
    case WM_APP_SYNC_KEY_NEEDED: ShowSyncKeyNeeded(window); return 0;
    case WM_APP_HISTORY_WRITTEN: FinishHistoryRewrite(); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return 0;
    case WM_MOVING: TrackWindowRect(window); return 0;
    // WM_MOVING comes before each step of a drag is done: the place a move ends at, also one
    // a drag cancelled with Esc goes back to, is read when the window has got there.
    case WM_MOVE: TrackWindowRect(window); return 0;
    case WM_DPICHANGED: OnDpiChanged(window, wParam, reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_DRAWCLIPBOARD: OnDrawClipboard(window, wParam, lParam); return 0;
    case WM_CHANGECBCHAIN: OnChangeClipboardChain(window, wParam, lParam); return 0;
    case WM_CLIPBOARDUPDATE: RecordClipboardChange(window, false); return 0;
    case WM_HOTKEY: OnHotKey(window, wParam); return 0;
    case WM_TRAYCALLBACK: OnTrayCallback(window, wParam, lParam); return 0;
    case WM_NOTIFYFORMAT:
      // The owner-data lists ask for their texts in UTF-16, which holds any text.
      if (lParam == NF_QUERY && (GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) == IDC_HISTORY_LIST ||
                                 GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) == IDC_FAVORITES_LIST))
        return NFR_UNICODE;
      break;
    case WM_SYSCOMMAND:
      // The Alt of the list hot key is released over the list window; a bare Alt must not
      // put the window into menu mode, which would swallow the user's next key.
      if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0) return 0;
      break;
  }
  if (message == AppState.TaskbarCreatedMessage && message != 0) {
    OnTaskbarCreated(window);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // An exception must never unwind into the system's code; the store's operations catch
  // their own allocation failures, this is the last guard.
  try {
    return DispatchMainMessage(window, message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}
