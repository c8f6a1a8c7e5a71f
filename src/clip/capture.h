// Membership in the clipboard viewer chain, the clipboard's listeners, and capture of text
// changes. Pelmor hears of each change twice: through the chain, whose manners it keeps for the
// programs behind it, and as a listener, which no other program can cut off. Each change is
// recorded once, known by the clipboard's sequence number.
#pragma once
#include <windows.h>

#include "../history/history_model.h"

// Joins the chain and the listeners; leaves both.
void JoinClipboard(HWND mainWindow);
void LeaveClipboard(HWND mainWindow);
// Either notification, first half: records the change unless it is the program's own
// paste-back, capture is paused, or it was recorded already; *change says what that did to the
// history's rows. A clipboard that another program holds is tried again shortly.
void TakeClipboardChange(HWND mainWindow, ListChange* change);
// The try again, from its timer.
void RetryClipboardChange(HWND mainWindow, ListChange* change);
// WM_DRAWCLIPBOARD, second half: the notification goes on to the next viewer in the chain.
void PassClipboardChange(WPARAM wParam, LPARAM lParam);
void OnChangeClipboardChain(HWND mainWindow, WPARAM wParam, LPARAM lParam);
// Records the clipboard's text: 0, or -101 (no text), -102 (no data, or the clipboard is held
// by another program), -103 (lock or append failed), -104 (no memory), -105 (the owner asked
// that it not be recorded), -106 (this change is recorded already).
int CaptureClipboard(HWND mainWindow, ListChange* change);
