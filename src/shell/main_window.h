// The hidden main window: its procedure routes every message the program handles.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The history is read on another thread from here on, while the window is made; PrepareStartup
// waits for it.
void StartOpeningHistory();
int PrepareStartup(HWND mainWindow);
// Saves the settings, unregisters the hot keys, closes and rotates the history files.
void Shutdown(HWND mainWindow);
