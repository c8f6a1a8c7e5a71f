// The three global hot keys and the full-screen guard.
#pragma once
#include <windows.h>

#include "hotkey_logic.h"

HotKeySetting ListHotKey();
HotKeySetting PauseHotKey();
HotKeySetting MenuHotKey();

void RegisterAllHotKeys(HWND mainWindow);
// Registers the three combinations in place of the hot keys there; a changed one that cannot
// be registered (another program or another of the three has it) releases them all and is
// answered (0, 1 or 2); an unchanged one stays unregistered as at start-up. -1 once done.
int TryRegisterHotKeys(HWND mainWindow, const HotKeySetting keys[3], const bool changed[3]);
// Unregisters all three, whatever their key codes.
void ReleaseHotKeys(HWND mainWindow);
// Unregisters the hot keys whose key code is set.
void UnregisterAllHotKeys(HWND mainWindow);
int FullScreenGuard();
void OnHotKey(HWND mainWindow, WPARAM id);
