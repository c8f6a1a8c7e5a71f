// The notification-area icon, its menu and the pause switch.
#pragma once
#include <windows.h>

void AddTrayIcon(HWND mainWindow);
void UpdateTrayIcon(HWND mainWindow, int capturing);
// The tip says how many texts wait to be written to the sync folder; modified when that changed.
void UpdateTrayTip(HWND mainWindow);
void DeleteTrayIcon();
// A balloon from the icon, with a warning sign.
void ShowTrayBalloon(const char* title, const char* text);
// Tells the user, once, of each damaged file kept whole beside it before its repair (the
// history's files, Pelmor.OUT, this PC's day file). Those found before the icon is there wait.
void TellKeptCopies();
void ShowTrayMenu(HWND mainWindow);
void ShowListWindow(HWND mainWindow);
void TogglePause(HWND mainWindow);
// Loads menu 103 and removes the AA items when there is no AA list.
void LoadTrayMenu();
// WM_USER + 1 from the icon.
void OnTrayCallback(HWND mainWindow, WPARAM iconId, LPARAM mouseMessage);
