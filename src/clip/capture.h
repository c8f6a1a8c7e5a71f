// Membership in the clipboard viewer chain and capture of text changes.
#pragma once
#include <windows.h>

#include "../history/history_model.h"

// WM_DRAWCLIPBOARD, first half: records the change unless it is the program's own paste-back
// or capture is paused; *change says what that did to the history's rows.
void TakeClipboardChange(HWND mainWindow, ListChange* change);
// Second half: the notification goes on to the next viewer in the chain.
void PassClipboardChange(WPARAM wParam, LPARAM lParam);
void OnChangeClipboardChain(HWND mainWindow, WPARAM wParam, LPARAM lParam);
// Records the clipboard's text: 0, or -101 (no text), -102 (no data), -103 (lock or
// append failed), -104 (no memory), -105 (the owner asked that it not be recorded).
int CaptureClipboard(HWND mainWindow, ListChange* change);
