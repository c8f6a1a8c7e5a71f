#include "sync_view.h"

#include <cstdio>
#include <new>
#include <string_view>
#include <vector>

#include "../app/app_state.h"
#include "../app/key_store.h"
#include "../app/settings.h"
#include "../res/resource.h"
#include "record_rows.h"
#include "tray.h"

CivilDate Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

void ShowSyncNameTaken(HWND owner, const char* name, bool atStart) {
  char text[512];
  snprintf(text, sizeof text, "同期フォルダで「%s」という名前は別のPCが使っています。%s", name,
           atStart ? "このPCの同期を止めました。環境設定の「同期」ページで名前を変えてください。"
                   : "別の名前を指定してください。");
  MessageBoxA(owner, text, "ｴﾗｰ", MB_OK);
}

void ShowSyncKeyNeeded(HWND owner) {
  MessageBoxA(owner,
              "この同期フォルダは合言葉で保護されています。環境設定の「同期」ページで合言葉を入力してください。",
              "ｴﾗｰ", MB_OK);
}

// After a flush or at start: the clash, or the passphrase asked for, shows once, when it is
// found; the tip shows what waits; a file kept whole before its repair is told of (at start
// also the history's).
static void ShowSyncState(HWND mainWindow, SyncStatus before) {
  // Posted: not from inside a clipboard notification.
  if (AppState.Sync.status == SyncStatus::kNameTaken && before != SyncStatus::kNameTaken)
    PostMessageA(mainWindow, WM_APP_SYNC_NAME_TAKEN, 0, 0);
  if (AppState.Sync.status == SyncStatus::kKeyNeeded && before != SyncStatus::kKeyNeeded)
    PostMessageA(mainWindow, WM_APP_SYNC_KEY_NEEDED, 0, 0);
  UpdateTrayTip(mainWindow);
  TellKeptCopies();
}

// Half a second: a backlog the engine delivers is listed within a second, the work of the tick
// included; an idle tick only looks at the folder's listing.
constexpr UINT kSyncTickMs = 500;

void StartSyncing(HWND mainWindow) {
  KillTimer(mainWindow, ID_SYNC_TIMER);
  SyncConfig config = SyncConfigOf(Settings);
  if (!config.dir.empty() && EnsureSyncId()) {
    config.id = Settings.SYNC.ID;
    // A key that does not open (sealed for another user, or damaged) stays zeros, which match no
    // folder's Pelmor.KEY: the passphrase is asked for again.
    config.sealed = Settings.SYNC.KEY[0] != '\0';
    if (config.sealed && !UnprotectKeyForUser(Settings.SYNC.KEY, &config.key)) config.key = SealKey();
    StartSync(&AppState.Sync, config, AppState.DataDir, Today());  // keeps what only memory holds
  } else {
    AppState.Sync = SyncFolder();
  }
  if (AppState.Sync.status != SyncStatus::kOff) SetTimer(mainWindow, ID_SYNC_TIMER, kSyncTickMs, nullptr);
  ShowSyncState(mainWindow, SyncStatus::kOff);
}

void FlushSyncOutbox(HWND mainWindow) {
  SyncStatus before = AppState.Sync.status;
  FlushOutbox(&AppState.Sync, Today());
  ShowSyncState(mainWindow, before);
}

void FinishSyncing() {
  // The last chance for captures only memory holds: into the folder, or at least Pelmor.OUT.
  FlushOutbox(&AppState.Sync, Today());
}

// A backlog larger than the memory left waits: it is not confirmed, so later ticks take it up
// again, and the user hears of it once (until one comes in).
static void TellImportShortOfMemory(int result) {
  if (result == 0) AppState.ImportShortTold = 0;
  if (result != -104 || AppState.ImportShortTold) return;
  AppState.ImportShortTold = 1;
  ShowTrayBalloon(
      "ペルモア",
      "メモリが足りないため、ほかのPCのテキストを取り込めませんでした。あとでもう一度取り込みます。");
}

void OnSyncTimer(HWND mainWindow) {
  FlushSyncOutbox(mainWindow);
  std::vector<ImportBatch> batches;
  ChosenRecords chosen;
  ListChange change;
  int result = -104;
  try {
    batches = CollectImports(&AppState.Sync);
    if (batches.empty()) return;
    // The whole backlog in one step, day by day as collected: the newest text ends on top.
    std::vector<std::string_view> texts;
    for (const ImportBatch& batch : batches)
      texts.insert(texts.end(), batch.texts.begin(), batch.texts.end());
    chosen = ChosenRecordsOf(AppState.HistoryList);
    result = RecordTexts(&AppState.History, texts, &change);
  } catch (const std::bad_alloc&) {
  }
  ShowRecorded(AppState.HistoryList, chosen, change);
  if (result == 0)
    for (const ImportBatch& batch : batches) ConfirmImport(&AppState.Sync, batch);
  TellImportShortOfMemory(result);
}
