// Pelmor.ini: the 24 settings of sections WINDOW and OPTION, the history's cap, the sync folder
// and the editor path.
#pragma once
#include <cstddef>
#include <string>

#include "../history/history_model.h"
#include "../sync/sync_folder.h"
#include "app_state.h"

void LoadSettings();
void SaveSettings();
// TEXT/PATH, read from the file each time it is needed.
void ReadEditorPath(const char* defaultValue, char* path, size_t size);
void WriteEditorPath(const char* path);
// What the history's rules take from the settings.
HistoryOptions HistoryOptionsFromSettings();
// The sync folder's settings: written at once when the options sheet applies them. KEY is
// written while set, and removed when it was set before and is no longer.
void WriteSyncSettings(bool keyWasSet);
// A random ID for owner.id, made once for this PC.
std::string NewSyncId();
// A folder set without an ID (a Pelmor.ini written by hand or by a deployment script) gets one,
// written alone into [SYNC]. False when it could not be written (sync then stays off).
bool EnsureSyncId();
// This PC's name in the sync folder: the one set, or the computer's.
std::string SyncPcName(const SettingsRecord& settings);
// What the sync engine takes from them; the folder ends in a backslash, an empty name is the
// computer's.
SyncConfig SyncConfigOf(const SettingsRecord& settings);
