#include "sync_page.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "../app/app_state.h"
#include "../app/settings.h"
#include "../res/resource.h"
#include "options_draft.h"
#include "sync_view.h"

namespace {

constexpr int kMinKeepDays = 1, kMaxKeepDays = 3650;

std::string ItemText(HWND page, int id) {
  char text[kPathSize] = {};
  GetDlgItemTextA(page, id, text, kPathSize);
  return text;
}

void InitSyncPage(HWND page) {
  SetDlgItemTextA(page, IDC_SYNC_DIR, Settings.SYNC.DIR);
  SetDlgItemTextA(page, IDC_SYNC_NAME, SyncPcName(Settings).c_str());
  SetDlgItemInt(page, IDC_SYNC_DAYS, static_cast<UINT>(Settings.SYNC.KEEPDAYS), FALSE);
}

void BrowseSyncFolder(HWND page) {
  CoInitialize(nullptr);  // the folder dialog needs COM; it stays initialised on this thread
  BROWSEINFOA info = {};
  info.hwndOwner = page;
  info.lpszTitle = "同期フォルダを選んでください";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info)) {
    char path[kPathSize] = {};
    if (SHGetPathFromIDListA(chosen, path)) SetDlgItemTextA(page, IDC_SYNC_DIR, path);
    CoTaskMemFree(chosen);
  }
}

bool Refuse(HWND page, int control, const char* text) {
  MessageBoxA(GetParent(page), text, "ｴﾗｰ", MB_OK);  // owned by the sheet, which disables the main window
  SetFocus(GetDlgItem(page, control));
  return false;
}

// OK: the folder, the name and the days go into the draft once the folder is found usable; a
// folder that cannot be made or written, a name another PC holds or a number of days out of
// range keeps the user on the page (false). Only looked at here: the folder is made, claimed
// and written to once every page has accepted OK.
bool ApplySyncPage(HWND page, SettingsRecord* settings) {
  std::string dir = ItemText(page, IDC_SYNC_DIR), name = ItemText(page, IDC_SYNC_NAME);
  BOOL number = FALSE;
  int days = static_cast<int>(GetDlgItemInt(page, IDC_SYNC_DAYS, &number, FALSE));
  if (!number || days < kMinKeepDays || days > kMaxKeepDays)
    return Refuse(page, IDC_SYNC_DAYS, "保存日数には 1～3650 の数を指定してください。");
  auto& sync = settings->SYNC;
  lstrcpynA(sync.DIR, dir.c_str(), kPathSize);
  sync.KEEPDAYS = days;
  if (dir.empty()) return true;  // off
  lstrcpynA(sync.NAME, CleanPcName(name).c_str(), kPathSize);
  if (sync.ID[0] == '\0') lstrcpynA(sync.ID, NewSyncId().c_str(), sizeof sync.ID);
  SyncStatus status = CheckSyncFolder(SyncConfigOf(*settings));
  if (status == SyncStatus::kOn) return true;
  if (status == SyncStatus::kNameTaken) {
    ShowSyncNameTaken(GetParent(page), sync.NAME, false);
    SetFocus(GetDlgItem(page, IDC_SYNC_NAME));
    return false;
  }
  char text[kPathSize + 64];
  snprintf(text, sizeof text, "同期フォルダ「%s」を作成または書き込みできません。", dir.c_str());
  return Refuse(page, IDC_SYNC_DIR, text);
}

}  // namespace

INT_PTR CALLBACK SyncPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    KeepDraft(page, lParam);
    InitSyncPage(page);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_SYNC_BROWSE) BrowseSyncFolder(page);
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
    OptionsDraft* draft = DraftOf(page);
    draft->syncApplied = ApplySyncPage(page, &draft->settings);
    SetWindowLongPtrA(page, DWLP_MSGRESULT, draft->syncApplied ? PSNRET_NOERROR : PSNRET_INVALID);
    return TRUE;
  }
  return FALSE;
}
