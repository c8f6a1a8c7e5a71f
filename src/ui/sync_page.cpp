#include "sync_page.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "../app/app_state.h"
#include "../app/key_store.h"
#include "../app/settings.h"
#include "../res/resource.h"
#include "../store/file_io.h"
#include "options_draft.h"
#include "sync_view.h"

namespace {

constexpr int kMinKeepDays = 1, kMaxKeepDays = 3650;
constexpr int kPassphraseChars = 256;  // what a field takes

// A passphrase field's text as UTF-8 (so every PC derives from the same bytes), in a buffer
// wiped when it goes.
struct TypedPassphrase {
  char bytes[kPassphraseChars * 3] = {};  // 3 bytes for each UTF-16 unit at most
  size_t length = 0;
  ~TypedPassphrase() { WipeBytes(bytes, sizeof bytes); }
  bool operator==(const TypedPassphrase& other) const {
    return length == other.length && memcmp(bytes, other.bytes, length) == 0;
  }
};

std::string ItemText(HWND page, int id) {
  char text[kPathSize] = {};
  GetDlgItemTextA(page, id, text, kPathSize);
  return text;
}

void InitSyncPage(HWND page) {
  SetDlgItemTextA(page, IDC_SYNC_DIR, Settings.SYNC.DIR);
  SetDlgItemTextA(page, IDC_SYNC_NAME, SyncPcName(Settings).c_str());
  SetDlgItemInt(page, IDC_SYNC_DAYS, static_cast<UINT>(Settings.SYNC.KEEPDAYS), FALSE);
  for (int field : {IDC_SYNC_PASS, IDC_SYNC_CONFIRM}) SendDlgItemMessageA(page, field, EM_SETLIMITTEXT, kPassphraseChars - 1, 0);
}

// Takes what the field holds, and empties it: written over first, so that the field's own
// buffer does not keep the passphrase.
void TakePassphrase(HWND page, int id, TypedPassphrase* typed) {
  HWND field = GetDlgItem(page, id);
  wchar_t wide[kPassphraseChars] = {};
  int units = GetWindowTextW(field, wide, kPassphraseChars);
  int bytes = units > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, units, typed->bytes, sizeof typed->bytes, nullptr, nullptr) : 0;
  typed->length = bytes > 0 ? static_cast<size_t>(bytes) : 0;
  WipeBytes(wide, sizeof wide);
  SetWindowTextA(field, std::string(static_cast<size_t>(units > 0 ? units : 0), '*').c_str());
  SetWindowTextA(field, "");
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

// Fields left empty keep the key that is set, for its folder: another folder must hold a
// Pelmor.KEY of the same passphrase, or the user gives that folder's passphrase (its texts never
// leave unsealed, nor under a key it does not know).
bool KeptKeyFits(HWND page, const std::string& dir, const OptionsDraft& draft) {
  if (draft.settings.SYNC.KEY[0] == '\0' || lstrcmpiA(dir.c_str(), SyncConfigOf(Settings).dir.c_str()) == 0)
    return true;
  SealKey key;
  KeyFile file;
  bool fits = UnprotectKeyForUser(draft.settings.SYNC.KEY, &key) &&
              ReadKeyFile(dir + "Pelmor.KEY", &file) == KeyFileStatus::kValid && KeyMatches(file, key);
  WipeBytes(key.bytes, kKeySize);
  return fits || Refuse(page, IDC_SYNC_PASS, "この同期フォルダの合言葉を入力してください。");
}

// The passphrase typed twice: checked against the folder's Pelmor.KEY (read, never written
// here) and, once found to be the folder's, or the first for a folder that has none, its key
// goes into the draft for OK. Two fields left empty keep what is set.
bool TakeKeyIntoDraft(HWND page, const std::string& dir, TypedPassphrase* pass, const TypedPassphrase& confirm,
                      OptionsDraft* draft) {
  if (pass->length == 0 && confirm.length == 0) return KeptKeyFits(page, dir, *draft);
  if (!(*pass == confirm)) return Refuse(page, IDC_SYNC_PASS, "合言葉と確認が一致しません。");
  HCURSOR cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));  // the derivation takes a moment
  // A folder that is not there yet is made at OK: its file is new.
  JoinResult result = PathExists(dir.c_str())
                          ? JoinKeyFile(dir + "Pelmor.KEY", pass->bytes, pass->length, &draft->key, &draft->keyFile)
                          : NewKeyFile(pass->bytes, pass->length, &draft->key, &draft->keyFile);
  SetCursor(cursor);
  char text[kPathSize + 64];
  switch (result) {
    case JoinResult::kJoined:
    case JoinResult::kNew:
      draft->keyGiven = true;
      draft->makeKeyFile = result == JoinResult::kNew;
      return true;
    case JoinResult::kWrongPassphrase: return Refuse(page, IDC_SYNC_PASS, "合言葉が同期フォルダの合言葉と違います。");
    case JoinResult::kDamaged: return Refuse(page, IDC_SYNC_PASS, "同期フォルダの Pelmor.KEY が壊れています。");
    case JoinResult::kUnusable:
      snprintf(text, sizeof text, "同期フォルダ「%s」を作成または書き込みできません。", draft->settings.SYNC.DIR);
      return Refuse(page, IDC_SYNC_DIR, text);
    default: return Refuse(page, IDC_SYNC_PASS, "メモリが足りないため、合言葉を確かめられません。");
  }
}

// OK: the folder, the name, the days and a passphrase go into the draft once the folder is
// found usable; a folder that cannot be made or written, a name another PC holds, a number of
// days out of range, or a passphrase that is not the folder's keeps the user on the page (false).
// Only looked at here: the folder is made, claimed and written to once every page has accepted
// OK. The passphrase fields are emptied whatever the outcome.
bool ApplySyncPage(HWND page, OptionsDraft* draft) {
  TypedPassphrase pass, confirm;
  TakePassphrase(page, IDC_SYNC_PASS, &pass);
  TakePassphrase(page, IDC_SYNC_CONFIRM, &confirm);
  std::string dir = ItemText(page, IDC_SYNC_DIR), name = ItemText(page, IDC_SYNC_NAME);
  BOOL number = FALSE;
  int days = static_cast<int>(GetDlgItemInt(page, IDC_SYNC_DAYS, &number, FALSE));
  if (!number || days < kMinKeepDays || days > kMaxKeepDays)
    return Refuse(page, IDC_SYNC_DAYS, "保存日数には 1～3650 の数を指定してください。");
  auto& sync = draft->settings.SYNC;
  lstrcpynA(sync.DIR, dir.c_str(), kPathSize);
  sync.KEEPDAYS = days;
  if (dir.empty()) {
    sync.KEY[0] = '\0';  // a passphrase is a folder's: none without one
    draft->keyGiven = false;
    return true;  // off
  }
  lstrcpynA(sync.NAME, CleanPcName(name).c_str(), kPathSize);
  if (sync.ID[0] == '\0') lstrcpynA(sync.ID, NewSyncId().c_str(), sizeof sync.ID);
  SyncConfig config = SyncConfigOf(draft->settings);
  SyncStatus status = CheckSyncFolder(config);
  if (status == SyncStatus::kOn) return TakeKeyIntoDraft(page, config.dir, &pass, confirm, draft);
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
    draft->syncApplied = ApplySyncPage(page, draft);
    SetWindowLongPtrA(page, DWLP_MSGRESULT, draft->syncApplied ? PSNRET_NOERROR : PSNRET_INVALID);
    return TRUE;
  }
  return FALSE;
}

// The key given on the page: the first PC makes the folder's Pelmor.KEY (never over another's:
// should another PC's have come first, the key does not match it and the passphrase is asked
// for again), and the key is kept sealed for the Windows user.
static void TakeKeyIntoEffect(const OptionsDraft& draft) {
  std::string dir = SyncConfigOf(Settings).dir, hex;
  if (draft.makeKeyFile) WriteNewKeyFile(dir + "Pelmor.KEY", dir + "Pelmor.KEY.TMP", draft.keyFile);
  // A key Windows will not seal is not kept: the folder's file then asks for the passphrase.
  if (!ProtectKeyForUser(draft.key, &hex) || hex.size() >= sizeof Settings.SYNC.KEY) hex.clear();
  lstrcpynA(Settings.SYNC.KEY, hex.c_str(), sizeof Settings.SYNC.KEY);
}

void PutSyncPageIntoEffect(const OptionsDraft& draft, const SettingsRecord& before) {
  const auto &sync = Settings.SYNC, &was = before.SYNC;
  bool changed = draft.syncApplied && (lstrcmpA(sync.DIR, was.DIR) != 0 || lstrcmpA(sync.NAME, was.NAME) != 0 ||
                                       sync.KEEPDAYS != was.KEEPDAYS || lstrcmpA(sync.KEY, was.KEY) != 0 ||
                                       draft.keyGiven);
  // The section is written once a folder has been set; an INI that never had one stays as it is.
  if (!changed || (was.DIR[0] == '\0' && was.ID[0] == '\0' && sync.DIR[0] == '\0')) return;
  // A folder the user names anew is made now (in a folder that is there); at start-up a
  // folder that has gone is not made again, as its drive or engine may only be away.
  if (sync.DIR[0] != '\0') CreateDirectoryA(sync.DIR, nullptr);
  if (draft.keyGiven) TakeKeyIntoEffect(draft);
  WriteSyncSettings(was.KEY[0] != '\0');
  StartSyncing(AppState.MainWindow);
}
