#include "hotkeys.h"

#include "../app/app_state.h"
#include "../res/resource.h"
#include "tray.h"

HotKeySetting ListHotKey() {
  return {Settings.ONHOTALT, Settings.ONHOTCTL, Settings.ONHOTSFT, Settings.ONHOTKEY};
}
HotKeySetting PauseHotKey() {
  return {Settings.OFFHOTALT, Settings.OFFHOTCTL, Settings.OFFHOTSFT, Settings.OFFHOTKEY};
}
HotKeySetting MenuHotKey() {
  return {Settings.MENUHOTALT, Settings.MENUHOTCTL, Settings.MENUHOTSFT, Settings.MENUHOTKEY};
}

// False when another program holds the combination; key code 0 means no hot key at all.
static bool RegisterOneHotKey(HWND mainWindow, int index, const HotKeySetting& h) {
  return h.key == 0 ||
         RegisterHotKey(mainWindow, ID_HOTKEY_LIST + index, ModifierSet(h), static_cast<UINT>(h.key));
}

void RegisterAllHotKeys(HWND mainWindow) {
  const HotKeySetting keys[3] = {ListHotKey(), PauseHotKey(), MenuHotKey()};
  // A combination taken by another program simply stays unregistered: nobody asked for it here.
  for (int i = 0; i < 3; ++i) RegisterOneHotKey(mainWindow, i, keys[i]);
}

void ReleaseHotKeys(HWND mainWindow) {
  for (int id = ID_HOTKEY_LIST; id <= ID_HOTKEY_MENU; ++id) UnregisterHotKey(mainWindow, id);
}

int TryRegisterHotKeys(HWND mainWindow, const HotKeySetting keys[3], const bool changed[3]) {
  ReleaseHotKeys(mainWindow);
  for (int i = 0; i < 3; ++i) {
    if (!RegisterOneHotKey(mainWindow, i, keys[i]) && changed[i]) {
      ReleaseHotKeys(mainWindow);
      return i;
    }
  }
  return -1;
}

void UnregisterAllHotKeys(HWND mainWindow) {
  const HotKeySetting keys[3] = {ListHotKey(), PauseHotKey(), MenuHotKey()};
  for (int i = 0; i < 3; ++i)
    if (keys[i].key != 0) UnregisterHotKey(mainWindow, ID_HOTKEY_LIST + i);
}

int FullScreenGuard() {
  GuardView view = {};
  view.guardOn = Settings.HOTKEY;
  if (view.guardOn == 0) return 0;
  HWND front = GetForegroundWindow();
  view.hasForeground = front != nullptr;
  char title[512] = {};
  if (front) GetWindowTextA(front, title, sizeof title);
  view.title = title;
  RECT client = {};
  if (front) GetClientRect(front, &client);
  view.clientWidth = client.right - client.left;
  view.clientHeight = client.bottom - client.top;
  view.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  view.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  for (HWND above = front ? GetWindow(front, GW_HWNDPREV) : nullptr; above;
       above = GetWindow(above, GW_HWNDPREV)) {
    if (IsWindowVisible(above)) {
      view.visibleWindowAbove = true;
      break;
    }
  }
  return DecideFullScreenGuard(view);
}

void OnHotKey(HWND mainWindow, WPARAM id) {
  if (FullScreenGuard()) return;
  switch (id) {
    case ID_HOTKEY_LIST:
      if (AppState.ListShown == 1) {
        SendMessageA(mainWindow, WM_CLOSE, 0, 0);
      } else {
        // Remember where the user was typing, so the paste goes back there.
        HWND front = GetForegroundWindow();
        AppState.PasteTarget = front != mainWindow ? front : nullptr;
        ShowListWindow(mainWindow);
      }
      break;
    case ID_HOTKEY_PAUSE: TogglePause(mainWindow); break;
    case ID_HOTKEY_MENU: ShowTrayMenu(mainWindow); break;
  }
}
