// Membership in the clipboard viewer chain and capture of text changes.
#pragma once
#include <windows.h>

void OnDrawClipboard(HWND mainWindow, WPARAM wParam, LPARAM lParam);
void OnChangeClipboardChain(HWND mainWindow, WPARAM wParam, LPARAM lParam);
// Records the clipboard's text: 0, or -101 (no text), -102 (no data), -103 (lock or
// append failed), -104 (no memory), -105 (the owner asked that it not be recorded).
int CaptureClipboard(HWND mainWindow);
