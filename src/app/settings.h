// Pelmor.ini: the 24 settings of sections WINDOW and OPTION, the history's cap, and the editor path.
#pragma once
#include <cstddef>

#include "../history/history_model.h"

void LoadSettings();
void SaveSettings();
// TEXT/PATH, read from the file each time it is needed.
void ReadEditorPath(const char* defaultValue, char* path, size_t size);
void WriteEditorPath(const char* path);
// The caps the options page accepts besides 0 (no cap).
constexpr int kMinMaxCount = 100, kMaxMaxCount = 1000000;
// What the history's rules take from the settings.
HistoryOptions HistoryOptionsFromSettings();
