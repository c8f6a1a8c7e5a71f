// What the options sheet's pages hold until OK: nothing takes effect before every page has
// accepted its values, so Cancel after a page refused OK changes nothing.
#pragma once
#include <windows.h>

#include "../app/app_state.h"
#include "../sync/key_file.h"

struct OptionsDraft {
  SettingsRecord settings;           // the settings as the pages have them, the sync folder's too
  bool editorApplied = false;        // the editor page was opened: its path is written at OK
  char editorPath[kPathSize] = {};
  bool syncApplied = false;          // the sync page was opened and its folder checked
  // A passphrase given on the sync page and found to be the folder's: only its key is kept
  // here (the passphrase is wiped once derived), and the file to make in a folder that has none.
  bool keyGiven = false;
  SealKey key;
  bool makeKeyFile = false;
  KeyFile keyFile;
};

// The draft a page was created with (the sheet's page record carries it).
inline OptionsDraft* DraftOf(HWND page) { return reinterpret_cast<OptionsDraft*>(GetWindowLongPtrA(page, DWLP_USER)); }
// At WM_INITDIALOG: keeps the draft the page record carries for the page.
inline void KeepDraft(HWND page, LPARAM pageRecord) {
  SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<const PROPSHEETPAGEA*>(pageRecord)->lParam);
}
