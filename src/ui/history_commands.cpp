#include "history_commands.h"

#include "../app/app_state.h"
#include "../app/work_file.h"
#include "list_window.h"
#include "record_lists.h"

// The work file is replaced as a whole: a delete confirmation still open elsewhere is
// about records that are no longer there, and must delete nothing.
static void ReplaceWorkFileBegins() {
  CloseWorkFile();
  if (AppState.HistoryDeletePositions) AppState.HistoryDeletePositions->clear();
}

// After the work file was replaced: show it, or, when it cannot be opened, an empty list
// rather than rows that no longer match a file. The next capture or command tries again.
static void ReloadHistoryAfterReopen() {
  bool reopened = OpenWorkFile() == 0;
  if (!reopened) CloseWorkFile();
  // Without a work file the list and its index are emptied; a capture adds no row to
  // an index of records that no longer match a file.
  LoadRecordList(AppState.HistoryList, nullptr);
  if (reopened) SelectFirstRow(AppState.HistoryList);
}

void RestorePreviousHistory(HWND) {
  if (MessageBoxA(nullptr, "前回終了直前の履歴ﾃﾞｰﾀへ復元しますか？", "確認", MB_OKCANCEL) != IDOK)
    return;
  ReplaceWorkFileBegins();
  HistoryPaths paths = DataHistoryPaths();
  // Without a saved history the copy fails and the work file stays as it was.
  CopyFileSafely(paths.saved.c_str(), paths.work.c_str(), paths.scratch.c_str());
  ReloadHistoryAfterReopen();
}

void DeleteAllHistory(HWND) {
  if (MessageBoxA(nullptr, "履歴一覧を全件削除しますか？", "確認", MB_OKCANCEL) != IDOK) return;
  ReplaceWorkFileBegins();
  RemoveFile(DataHistoryPaths().work.c_str());
  ReloadHistoryAfterReopen();
}
