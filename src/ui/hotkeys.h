// The three global hot keys and the full-screen guard.
#pragma once
#include <windows.h>

#include "hotkey_logic.h"

HotKeySetting ListHotKey();
HotKeySetting PauseHotKey();
HotKeySetting MenuHotKey();
void StoreHotKey(int id, const HotKeySetting& h);

void RegisterAllHotKeys(HWND mainWindow);
// Registers these combinations anew in place of the settings' ones: the index (0 list,
// 1 pause, 2 menu) of the first that cannot be registered, none of the three then
// registered, or -1 once all are.
int TryRegisterHotKeys(HWND mainWindow, const HotKeySetting keys[3]);
// Unregisters all three, whatever their key codes.
void ReleaseHotKeys(HWND mainWindow);
// Unregisters the hot keys whose key code is set.
void UnregisterAllHotKeys(HWND mainWindow);
int FullScreenGuard();
void OnHotKey(HWND mainWindow, WPARAM id);
