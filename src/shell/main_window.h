// The hidden main window: its procedure routes every message the program handles.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int PrepareStartup(HWND mainWindow);
// Saves the settings, unregisters the hot keys, closes and rotates the history files.
void Shutdown(HWND mainWindow);
