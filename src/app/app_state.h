// The process-wide state and settings: the program's only globals.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <vector>

#include "../history/history_model.h"
#include "../sync/sync_folder.h"
#include "data_dir.h"

// The text gathered from the lists, waiting for the window to hide.
struct PendingPasteText {
  char* buffer;          // the code page text, zero-terminated, from malloc, or null
  uint32_t length;       // bytes without the terminator; 0 = nothing to paste
  wchar_t* exact;        // the exact text where the code page cannot hold it, else null
  uint32_t exactLength;  // characters without the terminator
};

struct AppStateRecord {
  char DataDir[kPathSize];
  HWND MainWindow;
  HINSTANCE AppInstance;
  int LastTabIndex;  // 2 when AAList.txt existed at start-up, else 1
  int CaptureEnabled;
  int SelfCopyPending;     // our own paste-back awaits its notification
  int SelfCopyWriting;     // our own paste-back is being put on the clipboard
  DWORD SelfCopySequence;  // the clipboard change our own paste-back made
  int SkipFirstDraw;
  int PromptOpen;
  int ListShown;
  int SessionEnded;  // Shutdown ran for the end of the Windows session
  PendingPasteText PendingPaste;
  PendingPasteText UnplacedPaste;  // chosen text still waiting for a busy clipboard
  int PasteTicks;                  // paste timer ticks spent waiting for it
  HWND NextViewer;
  DWORD LastClipboardSequence;  // the last clipboard change recorded or passed over
  int CaptureRetries;           // tries of a change that found the clipboard held by another program
  DWORD PaintHeldSince;         // the history list's painting waits for a pause in the copies (0: not)
  HMENU TrayMenu;
  NOTIFYICONDATAA TrayIconData;
  UINT TaskbarCreatedMessage;
  HWND PasteTarget;    // the window in front when the list hot key showed the list
  HWND PasteWindow;    // the window brought forward for the pending Ctrl+V
  int PasteRetries;    // times the foreground was taken back for it
  int Dpi = 96;  // the DPI the list window is laid out for
  HWND TabControl;
  HWND HistoryList;
  HWND FavoritesList;
  HWND AAList;
  HistoryModel History;  // the work file, the favorites and the rows the two lists show
  SyncFolder Sync;        // this PC's part in the sync folder shared with the user's other PCs
  int ImportShortTold;    // the user knows the other PCs' texts wait for memory; 0 once one comes in
  HWND FilterLine;        // the filter line while it is open, else null
  int OptionsOpen;        // ShowOptions is running
  HWND OptionsSheet;      // its sheet once the first page has opened, else null
  WNDPROC FilterPrevProc;
  WNDPROC HistoryPrevProc;
  WNDPROC FavoritesPrevProc;
  WNDPROC AAPrevProc;
};

struct SettingsRecord {
  int FLAG, TAB, X, Y, WIDTH, HEIGHT;
  int BOOTINIT, SELINDEX, ADDFLG, OVERLAP, ESCKEY, HOTKEY;
  int ONHOTALT, ONHOTCTL, ONHOTSFT, ONHOTKEY;
  int OFFHOTALT, OFFHOTCTL, OFFHOTSFT, OFFHOTKEY;
  int MENUHOTALT, MENUHOTCTL, MENUHOTSFT, MENUHOTKEY;
  int MAXCOUNT;         // the history's cap, 0: none
  bool MaxCountStored;  // MAXCOUNT stands in the file: it is written back even when 0
  struct {              // section SYNC, written only once a folder has been set
    char DIR[kPathSize];  // the folder the sync engine keeps in step; empty: off
    char NAME[kPathSize];  // this PC's folder in it; empty: the computer name
    int KEEPDAYS;          // this PC's day files are kept this many days
    char ID[64];           // made once, held by DIR\NAME\owner.id
    char KEY[2048];        // the folder's key sealed for the Windows user (hex); empty: no passphrase
  } SYNC;
};

extern AppStateRecord AppState;
extern SettingsRecord Settings;

// DataDir followed by the file name, in a kPathSize buffer.
void MakeDataPath(const char* fileName, char* path);
