// The three global hot keys and the full-screen guard.
#pragma once
#include <windows.h>

#include "hotkey_logic.h"

HotKeySetting ListHotKey();
HotKeySetting PauseHotKey();
HotKeySetting MenuHotKey();
void StoreHotKey(int id, const HotKeySetting& h);

void RegisterAllHotKeys(HWND mainWindow);
// Unregisters the hot keys whose key code is set.
void UnregisterAllHotKeys(HWND mainWindow);
int FullScreenGuard();
void OnHotKey(HWND mainWindow, WPARAM id);
