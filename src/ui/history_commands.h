// The tray commands that act on the history as a whole.
#pragma once
#include <windows.h>

void RestorePreviousHistory(HWND mainWindow);
void DeleteAllHistory(HWND mainWindow);
