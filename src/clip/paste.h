// Paste-back: gathered text goes on the clipboard, the previous window comes forward and
// receives Ctrl+V 100 ms later.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "../store/file_io.h"

void ReleasePendingPaste();
// Replaces PendingPaste with the texts joined by separator; empty on failure.
void SetPendingPaste(const std::vector<std::string>& texts, const char* separator);

void GatherSelectedRecords(HWND list, FileHandle file);
void PasteFromFavorites(HWND favoritesList);
// 0, or -101 (no memory), -102 (lock), -103 (the clipboard stays busy), -104 (not taken).
int PutTextOnClipboard(HWND owner, const char* bytes, unsigned length, bool retryBriefly = true);
BOOL CALLBACK FindPasteTarget(HWND window, LPARAM);
void SynthesizePaste();

void OnCloseMainWindow(HWND mainWindow);
void OnDeactivate(HWND mainWindow);
void OnPasteTimer(HWND mainWindow);
