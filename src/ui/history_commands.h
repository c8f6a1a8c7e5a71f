// The tray commands that act on the history as a whole.
#pragma once
#include <windows.h>

void RestorePreviousHistory(HWND mainWindow);
void DeleteAllHistory(HWND mainWindow);
// A rewrite of the history written on its own thread goes in place of the work file; when it
// failed, the rows read again from the file are shown.
void FinishHistoryRewrite();
