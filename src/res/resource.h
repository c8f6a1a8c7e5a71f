// Resource and control identifiers; other programs and the help file refer to these numbers.
#pragma once

#define IDI_CAPTURING 102
#define IDI_PAUSED 104
#define IDM_TRAY 103
#define IDM_ROWPOPUP 108
#define IDD_ABOUT 105
#define IDD_OPT_GENERAL 106
#define IDD_OPT_HOTKEY 107
#define IDD_OPT_EDITOR 109
#define IDD_OPT_HISTORY 110
#define IDD_OPT_SYNC 111

#define IDC_TAB 5999
#define IDC_HISTORY_LIST 5998
#define IDC_FAVORITES_LIST 5997
#define IDC_AA_LIST 5996
#define ID_TRAY_ICON 5995
#define IDC_FILTER_LINE 5994
#define WM_TRAYCALLBACK (WM_USER + 1)
// A command asks the main window to end the program.
#define WM_APP_QUIT (WM_APP + 1)
// A capture waits in Pelmor.OUT: write it to the sync folder once the notification is through.
#define WM_APP_SYNC_FLUSH (WM_APP + 2)
// The sync folder holds this PC's name for another PC: say so.
#define WM_APP_SYNC_NAME_TAKEN (WM_APP + 3)
// The sync folder has a passphrase this PC lacks (or no longer holds): ask for it.
#define WM_APP_SYNC_KEY_NEEDED (WM_APP + 8)
// A rewrite of the history was written on its own thread: put it in place.
#define WM_APP_HISTORY_WRITTEN (WM_APP + 4)

#define ID_HOTKEY_LIST 3001
#define ID_HOTKEY_PAUSE 3002
#define ID_HOTKEY_MENU 3003
#define ID_PASTE_TIMER 275
#define ID_SYNC_TIMER 276
#define ID_CAPTURE_TIMER 277
#define ID_PAINT_TIMER 278

#define IDM_ABOUT 40001
#define IDM_OPTIONS 40002
#define IDM_QUIT 40003
#define IDM_DELETE_ALL 40004
#define IDM_PAUSE 40005
#define IDM_SAVE_ROWS 40006
#define IDM_RESTORE 40007
#define IDM_AA_RELOAD 40008
#define IDM_AA_EDIT 40009
#define IDM_DELETE_ROWS 40010
#define IDM_HELP 40011
#define IDM_STARTUP 40012

#define IDC_VERSION_TEXT 1001
#define IDC_KEEP_WINDOW 1002
#define IDC_BOOT_INIT 1003
#define IDC_NEWEST_FIRST 1004
#define IDC_OLDEST_FIRST 1005
#define IDC_SELECT_FIRST 1006
#define IDC_SELECT_PREVIOUS 1007
#define IDC_HOTKEY_LIST 1008
#define IDC_HOTKEY_PAUSE 1009
#define IDC_OVERLAP 1010
#define IDC_HOTKEY_MENU 1011
#define IDC_FULLSCREEN_GUARD 1012
#define IDC_ESC_HIDES 1013
#define IDC_EDITOR_PATH 1014
#define IDC_BROWSE 1015
#define IDC_AUTHOR_URL 1016
#define IDC_MAX_COUNT 1017
#define IDC_SYNC_DIR 1018
#define IDC_SYNC_BROWSE 1019
#define IDC_SYNC_NAME 1020
#define IDC_SYNC_DAYS 1021
#define IDC_SYNC_PASS 1022
#define IDC_SYNC_CONFIRM 1023
