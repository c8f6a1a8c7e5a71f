#include "record_lists.h"

#include <string_view>
#include <vector>

#include "../app/app_state.h"
#include "../clip/paste.h"
#include "list_rows.h"
#include "record_rows.h"
#include "tray.h"

void GatherSelectedRecords(HWND list) {
  // The texts the rows show, from what the list holds: a file may have been replaced meanwhile
  // (a restored backup, a sync tool), and its records by position would be others.
  std::vector<std::string_view> texts;
  if (const RowIndex* rows = RowsOf(list))
    for (int row : SelectedRows(list))
      if (const RecordSpan* record = RecordOfRow(*rows, row)) texts.push_back(TextOf(*rows, *record));
  SetPendingRecords(texts);
}

// 0 when the chosen records were removed, -1 when the user cancelled or nothing was removed.
static int DeleteSelectedRecords(HWND list, RecordList records) {
  // The chosen rows are read before the question: while the box closes the list gets the
  // focus back, and with SELINDEX 0 that selects its first row. Until the answer the history
  // keeps them in step with the file, which a capture may rewrite meanwhile.
  BeginDelete(&AppState.History, records, SelectedPositions(list));
  AppState.PromptOpen = 1;
  int answer = MessageBoxA(AppState.MainWindow, "選択行を削除しますか？", "確認", MB_OKCANCEL);
  AppState.PromptOpen = 0;
  ListChange change;
  int result = FinishDelete(&AppState.History, answer == IDOK, &change);
  if (change.kind != ListChange::kUnchanged) ShowRows(list);
  TellKeptCopies();  // Pelmor.SAV is read again: another program may have damaged it
  return result;
}

void DeleteFromHistory(HWND historyList) {
  if (DeleteSelectedRecords(historyList, RecordList::kHistory) == 0) SelectFirstRow(historyList);
}

void DeleteFromFavorites(HWND favoritesList) {
  if (DeleteSelectedRecords(favoritesList, RecordList::kFavorites) == 0) SelectFirstRow(favoritesList);
}

void SaveToFavorites(HWND historyList) {
  std::vector<int64_t> positions = SelectedPositions(historyList);
  if (positions.empty()) return;
  ListChange change;
  CopyToFavorites(&AppState.History, positions, &change);
  TellKeptCopies();
  if (change.kind == ListChange::kUnchanged) return;
  ShowRows(AppState.FavoritesList);
  SelectFirstRow(AppState.FavoritesList);
}
