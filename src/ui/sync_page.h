// The options page 「同期」: the sync folder, this PC's name in it, the days its texts are kept
// and the folder's passphrase.
#pragma once
#include <windows.h>

struct OptionsDraft;
struct SettingsRecord;

INT_PTR CALLBACK SyncPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// OK, every page having accepted (Settings hold the draft's, before what they held): a changed
// sync folder, name, days or passphrase is written and the sync started again with it.
void PutSyncPageIntoEffect(const OptionsDraft& draft, const SettingsRecord& before);
