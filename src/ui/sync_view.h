// The sync folder as the running program uses it: started from the settings, a tick that
// writes this PC's waiting texts and brings the other PCs' into the history, and what the
// user sees of it (the tray tip, the name clash, the passphrase asked for).
#pragma once
#include <windows.h>

#include "../sync/sync_names.h"

CivilDate Today();  // the local date
// Starts (or stops, without a folder) the sync folder from the settings and its tick.
void StartSyncing(HWND mainWindow);
// Writes the texts waiting in Pelmor.OUT to this PC's day file; the tray tip shows what waits.
void FlushSyncOutbox(HWND mainWindow);
// At the end of the program: what waits goes out once more, or into Pelmor.OUT.
void FinishSyncing();
// The tick: the waiting texts go out, the other PCs' new texts come in as if copied here.
void OnSyncTimer(HWND mainWindow);
// Tells the user that this PC's name is another PC's in the sync folder.
void ShowSyncNameTaken(HWND owner, const char* name, bool atStart);
// Asks the user for the sync folder's passphrase, which this PC does not hold (or no longer).
void ShowSyncKeyNeeded(HWND owner);
