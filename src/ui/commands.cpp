#include "commands.h"

#include "../app/app_state.h"
#include "../res/resource.h"
#include "aa_list.h"
#include "aux_commands.h"
#include "history_commands.h"
#include "list_rows.h"
#include "options.h"
#include "tray.h"

static void ReloadAAList() {
  LoadAAList(AppState.AAList);
  SelectFirstRow(AppState.AAList);
}

LRESULT HandleCommand(HWND mainWindow, HINSTANCE instance, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDM_ABOUT: ShowAbout(mainWindow); break;
    case IDM_OPTIONS: ShowOptions(mainWindow, instance); break;
    case IDM_QUIT: SendMessageA(mainWindow, WM_APP_QUIT, 0, 0); break;  // the shell ends the program
    case IDM_DELETE_ALL: DeleteAllHistory(mainWindow); break;
    case IDM_PAUSE: TogglePause(mainWindow); break;
    case IDM_RESTORE: RestorePreviousHistory(mainWindow); break;
    case IDM_AA_RELOAD:
      if (AppState.AAList) ReloadAAList();
      break;
    case IDM_AA_EDIT: LaunchEditor("AAList.txt"); break;
    case IDM_HELP: ShowHelp(mainWindow); break;
    case IDM_STARTUP: RegisterStartup(); break;
    default: break;  // 40006 and 40010 belong to the row popup, which sends them to the list
  }
  return 0;
}
