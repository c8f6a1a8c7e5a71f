#include "tray.h"

#include <cstdio>
#include <string>

#include "../app/app_state.h"
#include "../res/resource.h"
#include "dpi.h"
#include "list_window.h"

// The product name, and while texts wait to be written to the sync folder, how many.
static void MakeTrayTip(char* tip, size_t size) {
  int waiting = WaitingCount(AppState.Sync);
  if (waiting > 0)
    snprintf(tip, size, "ペルモア 同期待ち %d件", waiting);
  else
    lstrcpynA(tip, "ペルモア", static_cast<int>(size));
}

// Every add or modify fills the whole record in its first layout.
static void FillTrayIconData(HWND mainWindow, int iconId) {
  NOTIFYICONDATAA& data = AppState.TrayIconData;
  data = {};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = mainWindow;
  data.uID = ID_TRAY_ICON;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAYCALLBACK;
  data.hIcon = LoadTrayIcon(iconId);
  MakeTrayTip(data.szTip, sizeof data.szTip);
}

void AddTrayIcon(HWND mainWindow) {
  FillTrayIconData(mainWindow, AppState.CaptureEnabled ? IDI_CAPTURING : IDI_PAUSED);
  Shell_NotifyIconA(NIM_ADD, &AppState.TrayIconData);
}

void UpdateTrayIcon(HWND mainWindow, int capturing) {
  FillTrayIconData(mainWindow, capturing ? IDI_CAPTURING : IDI_PAUSED);
  Shell_NotifyIconA(NIM_MODIFY, &AppState.TrayIconData);
}

void UpdateTrayTip(HWND mainWindow) {
  char tip[sizeof AppState.TrayIconData.szTip];
  MakeTrayTip(tip, sizeof tip);
  if (lstrcmpA(tip, AppState.TrayIconData.szTip) != 0) UpdateTrayIcon(mainWindow, AppState.CaptureEnabled);
}

void DeleteTrayIcon() { Shell_NotifyIconA(NIM_DELETE, &AppState.TrayIconData); }

void ShowTrayBalloon(const char* title, const char* text) {
  // The icon's own record keeps its first layout; a balloon needs a later one, which says so
  // by its size.
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = AppState.TrayIconData.hWnd;
  data.uID = ID_TRAY_ICON;
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_WARNING;
  data.uTimeout = 30000;
  lstrcpynA(data.szInfoTitle, title, sizeof data.szInfoTitle);
  lstrcpynA(data.szInfo, text, sizeof data.szInfo);
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

// A path as the user knows it: inside the data folder or the sync folder, from there.
static std::string ShownPath(const std::string& path) {
  for (const std::string& folder : {std::string(AppState.DataDir), AppState.Sync.config.dir})
    if (!folder.empty() && path.compare(0, folder.size(), folder) == 0) return path.substr(folder.size());
  return path;
}

void TellKeptCopies() {
  if (!AppState.TrayIconData.hWnd) return;
  std::string text;
  for (std::vector<KeptCopy>* kept : {&AppState.History.keptCopies, &AppState.Sync.keptCopies}) {
    for (const KeptCopy& k : *kept) {
      std::string line = ShownPath(k.file) + " が壊れていたため、読める記録だけにしました。元のファイルは " +
                         ShownPath(k.copy) + " として残してあります。";
      // Whole sentences only: a balloon holds 255 bytes, and the copies stay whatever it shows.
      if (text.size() + 1 + line.size() < sizeof NOTIFYICONDATAA::szInfo)
        text += (text.empty() ? "" : "\n") + line;
    }
    kept->clear();
  }
  if (!text.empty()) ShowTrayBalloon("ペルモア", text.c_str());
}

void LoadTrayMenu() {
  AppState.TrayMenu = LoadMenuA(AppState.AppInstance, MAKEINTRESOURCEA(IDM_TRAY));
  if (AppState.LastTabIndex < 2) {
    // The separators stay where they are.
    DeleteMenu(AppState.TrayMenu, IDM_AA_EDIT, MF_BYCOMMAND);
    DeleteMenu(AppState.TrayMenu, IDM_AA_RELOAD, MF_BYCOMMAND);
  }
}

void ShowTrayMenu(HWND mainWindow) {
  HMENU popup = GetSubMenu(AppState.TrayMenu, 0);
  POINT cursor;
  GetCursorPos(&cursor);
  // The owner must be in front, or the menu does not close when the user clicks elsewhere.
  SetForegroundWindow(mainWindow);
  TrackPopupMenu(popup, TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, mainWindow, nullptr);
}

void ShowListWindow(HWND mainWindow) {
  KeepWindowOnScreen(mainWindow);  // the monitors may have changed since the last showing
  ShowWindow(mainWindow, SW_SHOWNORMAL);
  SetForegroundWindow(mainWindow);
  AppState.ListShown = 1;
}

void TogglePause(HWND mainWindow) {
  if (AppState.CaptureEnabled == 0) {
    CheckMenuItem(AppState.TrayMenu, IDM_PAUSE, MF_BYCOMMAND | MF_UNCHECKED);
    AppState.CaptureEnabled = 1;
  } else {
    CheckMenuItem(AppState.TrayMenu, IDM_PAUSE, MF_BYCOMMAND | MF_CHECKED);
    AppState.CaptureEnabled = 0;
  }
  UpdateTrayIcon(mainWindow, AppState.CaptureEnabled);
}

void OnTrayCallback(HWND mainWindow, WPARAM iconId, LPARAM mouseMessage) {
  if (iconId != ID_TRAY_ICON) return;
  if (mouseMessage == WM_LBUTTONDOWN) {
    AppState.PasteTarget = nullptr;  // the taskbar is in front now: search as usual
    ShowListWindow(mainWindow);
  } else if (mouseMessage == WM_RBUTTONDOWN) {
    ShowTrayMenu(mainWindow);
  }
}
