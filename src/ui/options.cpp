#include "options.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "../app/app_state.h"
#include "../app/settings.h"
#include "../res/resource.h"
#include "hotkeys.h"
#include "list_rows.h"
#include "options_draft.h"
#include "record_rows.h"
#include "sync_page.h"
#include "tray.h"

namespace {

bool IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// The notification codes are negative constants; compare them as UINT.
UINT NotifyCode(LPARAM lParam) { return reinterpret_cast<const NMHDR*>(lParam)->code; }

// The history's rules take the options as they now stand; both lists show the result (a
// changed order at once) with their first rows selected.
void ShowHistoryOptions() {
  ListChange history, favorites;
  ApplyHistoryOptions(&AppState.History, HistoryOptionsFromSettings(), &history, &favorites);
  ShowRows(AppState.HistoryList);
  ShowRows(AppState.FavoritesList);
  SelectFirstRow(AppState.HistoryList);
  SelectFirstRow(AppState.FavoritesList);
  TellKeptCopies();  // the favorites are read again
}

void InitGeneralPage(HWND page) {
  CheckDlgButton(page, IDC_KEEP_WINDOW, Settings.FLAG ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDC_BOOT_INIT, Settings.BOOTINIT ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDC_OVERLAP, Settings.OVERLAP ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDC_ESC_HIDES, Settings.ESCKEY ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDC_NEWEST_FIRST, Settings.ADDFLG ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDC_OLDEST_FIRST, Settings.ADDFLG ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(page, IDC_SELECT_FIRST, Settings.SELINDEX == 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDC_SELECT_PREVIOUS, Settings.SELINDEX == 0 ? BST_UNCHECKED : BST_CHECKED);
}

bool ApplyGeneralPage(HWND page, SettingsRecord* settings) {
  settings->FLAG = IsChecked(page, IDC_KEEP_WINDOW);
  settings->BOOTINIT = IsChecked(page, IDC_BOOT_INIT);
  settings->OVERLAP = IsChecked(page, IDC_OVERLAP);
  settings->ESCKEY = IsChecked(page, IDC_ESC_HIDES);
  settings->ADDFLG = IsChecked(page, IDC_NEWEST_FIRST) ? 1 : 0;
  settings->SELINDEX = IsChecked(page, IDC_SELECT_FIRST) ? 0 : 1;
  return true;
}

// The page of the history's cap.
void InitHistoryPage(HWND page) { SetDlgItemInt(page, IDC_MAX_COUNT, static_cast<UINT>(Settings.MAXCOUNT), FALSE); }

// Leaving the page, or OK on it, with a cap the history cannot take keeps the user there.
bool HistoryPageRefuses(HWND page) {
  BOOL number = FALSE;
  UINT cap = GetDlgItemInt(page, IDC_MAX_COUNT, &number, FALSE);
  if (number && IsAcceptedCap(cap)) return false;
  MessageBoxA(page, "履歴の最大件数には 0（無制限）か 100～1000000 の数を指定してください。", "ｴﾗｰ", MB_OK);
  SetFocus(GetDlgItem(page, IDC_MAX_COUNT));
  return true;
}

bool ApplyHistoryPage(HWND page, SettingsRecord* settings) {
  settings->MAXCOUNT = static_cast<int>(GetDlgItemInt(page, IDC_MAX_COUNT, nullptr, FALSE));
  return true;
}

const int kHotKeyControls[3] = {IDC_HOTKEY_LIST, IDC_HOTKEY_PAUSE, IDC_HOTKEY_MENU};

void InitHotKeyPage(HWND page) {
  const HotKeySetting keys[3] = {ListHotKey(), PauseHotKey(), MenuHotKey()};
  for (int i = 0; i < 3; ++i) {
    if (keys[i].key == 0) continue;  // an empty control
    // While the page is open the hot keys must not act, or the user could not type them.
    UnregisterHotKey(AppState.MainWindow, ID_HOTKEY_LIST + i);
    SendDlgItemMessageA(page, kHotKeyControls[i], HKM_SETHOTKEY, PackHotKeyWord(keys[i]), 0);
  }
  CheckDlgButton(page, IDC_FULLSCREEN_GUARD, Settings.HOTKEY ? BST_CHECKED : BST_UNCHECKED);
}

// The name of a key as the hot-key control shows it.
std::string KeyName(int key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  LONG code = static_cast<LONG>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
  // The keys of the navigation block share their scan codes with the number pad.
  if ((key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE || key == VK_DIVIDE)
    code |= 1 << 24;
  char name[64] = {};
  if (GetKeyNameTextA(code, name, sizeof name) > 0) return name;
  return std::to_string(key);
}

// Names the hot key that cannot be registered: another of the sheet's keys (same) has it, or
// another program holds it (same -1).
void ReportTakenHotKey(HWND page, const HotKeySetting keys[3], int index, int same) {
  static const char* const kLabels[3] = {"一覧表示ｷｰ", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ履歴抑止ｷｰ", "ﾀｽｸﾄﾚｲﾒﾆｭｰ表示ｷｰ"};
  std::string text = std::string(kLabels[index]) + "（" + HotKeyText(keys[index], KeyName(keys[index].key)) + "）";
  text += same >= 0 ? std::string("は") + kLabels[same] + "と同じです。"
                    : "は他のプログラムが使用しているため登録できません。";
  // Owned by the sheet: the main window is disabled under it, and a box owned by the main
  // window would enable it again when it closes.
  MessageBoxA(GetParent(page), (text + "別のキーを指定してください。").c_str(), "ｴﾗｰ", MB_OK);
}

// Keeps the page's values once the hot keys the user changed can be registered; otherwise
// names the first that cannot and answers false. One left as it was stays as quiet as at
// start-up when another program holds it.
bool ApplyHotKeyPage(HWND page, SettingsRecord* settings) {
  const HotKeySetting before[3] = {ListHotKey(), PauseHotKey(), MenuHotKey()};
  HotKeySetting keys[3];
  bool changed[3];
  for (int i = 0; i < 3; ++i) {
    keys[i] = UnpackHotKeyWord(
        static_cast<uint32_t>(SendDlgItemMessageA(page, kHotKeyControls[i], HKM_GETHOTKEY, 0, 0)));
    changed[i] = PackHotKeyWord(keys[i]) != PackHotKeyWord(before[i]);
  }
  // Two of the keys on one combination would leave one of them dead, whichever was registered
  // first; a combination another program holds shows when it is registered.
  int same = -1, taken = DuplicateHotKey(keys, changed, &same);
  if (taken < 0) taken = TryRegisterHotKeys(AppState.MainWindow, keys, changed);
  if (taken >= 0) {
    ReportTakenHotKey(page, keys, taken, same);
    return false;
  }
  settings->HOTKEY = IsChecked(page, IDC_FULLSCREEN_GUARD);
  int* fields[3][4] = {{&settings->ONHOTALT, &settings->ONHOTCTL, &settings->ONHOTSFT, &settings->ONHOTKEY},
                       {&settings->OFFHOTALT, &settings->OFFHOTCTL, &settings->OFFHOTSFT, &settings->OFFHOTKEY},
                       {&settings->MENUHOTALT, &settings->MENUHOTCTL, &settings->MENUHOTSFT, &settings->MENUHOTKEY}};
  for (int i = 0; i < 3; ++i) {
    *fields[i][0] = keys[i].alt, *fields[i][1] = keys[i].ctl, *fields[i][2] = keys[i].sft, *fields[i][3] = keys[i].key;
  }
  return true;
}

bool AcceptsAnything(HWND) { return false; }

// A page that loads the settings when it opens and stores them on OK; Cancel stores nothing.
// A page that cannot store its values keeps the sheet open and shows itself; a page whose
// values Refuses is left neither by another tab nor by OK.
template <void (*Load)(HWND), bool (*Store)(HWND, SettingsRecord*), bool (*Refuses)(HWND) = AcceptsAnything>
INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    AppState.OptionsSheet = GetParent(page);
    KeepDraft(page, lParam);
    Load(page);
    return TRUE;  // the system sets the first focus
  }
  if (message != WM_NOTIFY) return FALSE;
  if (NotifyCode(lParam) == static_cast<UINT>(PSN_KILLACTIVE)) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, Refuses(page) ? TRUE : FALSE);
    return TRUE;
  }
  if (NotifyCode(lParam) == static_cast<UINT>(PSN_APPLY) && !Store(page, &DraftOf(page)->settings)) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_INVALID);
    return TRUE;
  }
  return FALSE;
}

void BrowseEditor(HWND page) {
  char file[kPathSize] = {};
  GetDlgItemTextA(page, IDC_EDITOR_PATH, file, kPathSize);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = page;
  ofn.lpstrFilter = "ｱﾌﾟﾘｹｰｼｮﾝ {*.exe}\0*.exe\0全てのﾌｧｲﾙ {*.*}\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = kPathSize;
  ofn.lpstrTitle = "ﾃｷｽﾄｴﾃﾞｨﾀ選択";
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  GetOpenFileNameA(&ofn);
  SetDlgItemTextA(page, IDC_EDITOR_PATH, file);
}

INT_PTR CALLBACK EditorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    KeepDraft(page, lParam);
    char path[kPathSize] = {};
    ReadEditorPath("", path, sizeof path);
    SetDlgItemTextA(page, IDC_EDITOR_PATH, path);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_BROWSE) BrowseEditor(page);
  if (message == WM_NOTIFY && NotifyCode(lParam) == static_cast<UINT>(PSN_APPLY)) {
    OptionsDraft* draft = DraftOf(page);
    GetDlgItemTextA(page, IDC_EDITOR_PATH, draft->editorPath, kPathSize);
    draft->editorApplied = true;
  }
  return FALSE;
}

// OK: what the pages accepted takes effect. The lists show a changed order and a lowered cap at
// once; the editor path is written to the file at once (it is not kept in memory).
void PutIntoEffect(const OptionsDraft& draft) {
  const SettingsRecord before = Settings;
  Settings = draft.settings;
  ShowHistoryOptions();
  if (draft.editorApplied) WriteEditorPath(draft.editorPath);
  PutSyncPageIntoEffect(draft, before);
}

HPROPSHEETPAGE CreatePage(PROPSHEETPAGEA* page, int templateId, const char* title, DLGPROC proc) {
  page->pszTemplate = MAKEINTRESOURCEA(templateId);
  page->pszTitle = title;
  page->pfnDlgProc = proc;
  return CreatePropertySheetPageA(page);
}

}  // namespace

void ShowOptions(HWND mainWindow, HINSTANCE instance) {
  // The sheet's modal loop runs on this thread, so the command can come again while it is
  // open: one sheet at a time, or the first one's OK would put back what the second applied.
  if (AppState.OptionsOpen) {
    if (AppState.OptionsSheet) SetForegroundWindow(GetLastActivePopup(AppState.OptionsSheet));
    return;
  }
  AppState.OptionsOpen = 1;
  OptionsDraft draft;
  draft.settings = Settings;
  PROPSHEETPAGEA page = {};
  page.dwSize = PROPSHEETPAGEA_V1_SIZE;
  page.dwFlags = PSP_USETITLE;
  page.hInstance = instance;
  page.lParam = reinterpret_cast<LPARAM>(&draft);
  HPROPSHEETPAGE pages[] = {
      CreatePage(&page, IDD_OPT_GENERAL, "全般", SettingsPageProc<InitGeneralPage, ApplyGeneralPage>),
      CreatePage(&page, IDD_OPT_HOTKEY, "ﾎｯﾄｷｰ", SettingsPageProc<InitHotKeyPage, ApplyHotKeyPage>),
      CreatePage(&page, IDD_OPT_EDITOR, "ｴﾃﾞｨﾀ", EditorPageProc),
      CreatePage(&page, IDD_OPT_HISTORY, "履歴", SettingsPageProc<InitHistoryPage, ApplyHistoryPage, HistoryPageRefuses>),
      CreatePage(&page, IDD_OPT_SYNC, "同期", SyncPageProc),
  };
  PROPSHEETHEADERA header = {};
  header.dwSize = PROPSHEETHEADERA_V1_SIZE;
  header.dwFlags = PSH_NOAPPLYNOW;
  header.hwndParent = mainWindow;
  header.hInstance = instance;
  header.pszCaption = "環境設定";
  header.nPages = sizeof pages / sizeof pages[0];
  header.nStartPage = 0;
  header.phpage = pages;
  if (PropertySheetA(&header) > 0) PutIntoEffect(draft);  // OK, every page having accepted
  AppState.OptionsOpen = 0;
  AppState.OptionsSheet = nullptr;
  // However the sheet was closed, from whichever page: exactly the combinations in the
  // settings are registered afterwards, each once.
  ReleaseHotKeys(mainWindow);
  RegisterAllHotKeys(mainWindow);
}
