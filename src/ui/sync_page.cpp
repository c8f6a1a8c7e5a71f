#include "sync_page.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "../app/app_state.h"
#include "../app/settings.h"
#include "../res/resource.h"
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
  SetDlgItemTextA(page, IDC_SYNC_NAME, SyncPcName().c_str());
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

// A random ID for owner.id, made once.
std::string NewSyncId() {
  GUID guid = {};
  CoCreateGuid(&guid);
  char id[40];
  snprintf(id, sizeof id, "%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", guid.Data1, guid.Data2, guid.Data3,
           guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
           guid.Data4[7]);
  return id;
}

bool Refuse(HWND page, int control, const char* text) {
  MessageBoxA(page, text, "ｴﾗｰ", MB_OK);
  SetFocus(GetDlgItem(page, control));
  return false;
}

// OK: the settings are written at once and the sync folder is taken into use; a folder that
// cannot be made or written, a name another PC holds or a number of days out of range keeps
// the user on the page. False then.
bool ApplySyncPage(HWND page) {
  std::string dir = ItemText(page, IDC_SYNC_DIR), name = ItemText(page, IDC_SYNC_NAME);
  BOOL number = FALSE;
  int days = static_cast<int>(GetDlgItemInt(page, IDC_SYNC_DAYS, &number, FALSE));
  if (!number || days < kMinKeepDays || days > kMaxKeepDays)
    return Refuse(page, IDC_SYNC_DAYS, "保存日数には 1～3650 の数を指定してください。");
  auto& sync = Settings.SYNC;
  if (dir.empty()) {
    // Off. An INI that never had a folder stays as it is.
    if (sync.DIR[0] == '\0') return true;
    sync.DIR[0] = '\0';
    WriteSyncSettings();
    StartSyncing(AppState.MainWindow);
    return true;
  }
  char previousDir[kPathSize], previousName[kPathSize];
  lstrcpynA(previousDir, sync.DIR, kPathSize);
  lstrcpynA(previousName, sync.NAME, kPathSize);
  lstrcpynA(sync.DIR, dir.c_str(), kPathSize);
  lstrcpynA(sync.NAME, CleanPcName(name).c_str(), kPathSize);
  if (sync.ID[0] == '\0') lstrcpynA(sync.ID, NewSyncId().c_str(), sizeof sync.ID);
  // A folder the user names anew is made here (in a folder that is there); at start-up a
  // folder that has gone is not made again, as its drive or engine may only be away.
  CreateDirectoryA(dir.c_str(), nullptr);
  SyncFolder trial;
  SyncStatus status = StartSync(&trial, SyncConfigFromSettings(), AppState.DataDir, Today());
  if (status == SyncStatus::kOn) {
    sync.KEEPDAYS = days;
    WriteSyncSettings();
    StartSyncing(AppState.MainWindow);
    return true;
  }
  std::string taken = sync.NAME;
  lstrcpynA(sync.DIR, previousDir, kPathSize);
  lstrcpynA(sync.NAME, previousName, kPathSize);
  if (status == SyncStatus::kNameTaken) {
    ShowSyncNameTaken(page, taken.c_str(), false);
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
    InitSyncPage(page);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_SYNC_BROWSE) BrowseSyncFolder(page);
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, ApplySyncPage(page) ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
    return TRUE;
  }
  return FALSE;
}
