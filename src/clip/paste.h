// Paste-back: gathered text goes on the clipboard, the previous window comes forward and
// receives Ctrl+V 100 ms later.
#pragma once
#include <windows.h>

#include <string>

void ReleasePendingPaste();
// Replaces PendingPaste with the code page text and, when some of it lies outside the code
// page, the exact text; empty on failure.
void SetPendingPaste(const std::string& codePage, const std::wstring* exact);

// The texts of the selected rows of the history or favorites list, joined in list order.
void GatherSelectedRecords(HWND list);
void PasteFromFavorites(HWND favoritesList);
// The code page text as CF_TEXT and, when given, the exact text as CF_UNICODETEXT. 0, or
// -101 (no memory), -103 (the clipboard stays busy), -104 (not taken).
int PutTextOnClipboard(HWND owner, const char* bytes, unsigned length, bool retryBriefly = true,
                       const wchar_t* exact = nullptr, unsigned exactLength = 0);
BOOL CALLBACK FindPasteTarget(HWND window, LPARAM);
void SynthesizePaste();

void OnCloseMainWindow(HWND mainWindow);
void OnDeactivate(HWND mainWindow);
void OnPasteTimer(HWND mainWindow);
