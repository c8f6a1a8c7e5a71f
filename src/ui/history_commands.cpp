#include "history_commands.h"

#include "../app/app_state.h"
#include "list_rows.h"
#include "record_rows.h"
#include "tray.h"

// Shows the history as the command left it: with its first row selected, or, when the work
// file could not be opened again, empty.
static void ShowReplacedHistory(int result) {
  ShowRows(AppState.HistoryList);
  if (result == 0) SelectFirstRow(AppState.HistoryList);
  TellKeptCopies();  // a damaged saved history, restored
}

void RestorePreviousHistory(HWND) {
  if (MessageBoxA(nullptr, "前回終了直前の履歴ﾃﾞｰﾀへ復元しますか？", "確認", MB_OKCANCEL) != IDOK)
    return;
  ListChange change;
  ShowReplacedHistory(RestoreSavedHistory(&AppState.History, &change));
}

void DeleteAllHistory(HWND) {
  if (MessageBoxA(nullptr, "履歴一覧を全件削除しますか？", "確認", MB_OKCANCEL) != IDOK) return;
  ListChange change;
  ShowReplacedHistory(EmptyHistory(&AppState.History, &change));
}

void FinishHistoryRewrite() {
  if (!FinishRewrite(&AppState.History)) return;
  ShowRows(AppState.HistoryList);
  SelectFirstRow(AppState.HistoryList);
}
