#include "record_lists.h"

#include <string>
#include <vector>

#include "../app/app_state.h"
#include "../app/work_file.h"
#include "../store/record_file.h"
#include "list_window.h"
#include "record_rows.h"

FileHandle OpenFavoritesFile() {
  FileHandle file = OpenRecordFile(DataHistoryPaths().favorites.c_str());
  if (file != kNoFile && SettleRecordFile(file) != 0) {
    CloseFileHandle(file);
    return kNoFile;
  }
  return file;
}

void LoadRecordList(HWND list, const char* name) {
  RowIndex* rows = RowsOf(list);
  if (!rows) return;
  rows->newestFirst = Settings.ADDFLG != 0;
  rows->bytes.clear();
  rows->records.clear();
  rows->matches.clear();
  if (name) {
    char path[kPathSize];
    MakeDataPath(name, path);
    FileHandle file = OpenRecordFile(path);
    if (file != kNoFile && SettleRecordFile(file) == 0) LoadRowIndex(file, rows);
    CloseFileHandle(file);
  } else if (EnsureWorkFile()) {
    LoadRowIndex(AppState.WorkFile, rows);
  }
  // An unreadable file gives an empty list.
  ShowRows(list);
}

int64_t AppendRecord(const char* text, int32_t length) {
  if (!EnsureWorkFile()) return -1;
  return AppendRecordTo(AppState.WorkFile, text, length);
}

int CompactRecordFile(FileHandle file, CompactTarget target, const std::vector<int64_t>& dropPositions) {
  HistoryPaths paths = DataHistoryPaths();
  if (target == kFavoritesTarget)
    return RewriteRecordFile(file, paths.favorites.c_str(), paths.scratch.c_str(), dropPositions);
  AppState.WorkFile = file;
  std::vector<RecordSpan> dropped;
  int result = RewriteWorkFile(paths, &AppState.WorkFile, dropPositions, &dropped);
  if (AppState.HistoryDeletePositions) {
    // The records a delete confirmation is about have moved; follow them.
    for (int64_t& position : *AppState.HistoryDeletePositions) position = PositionAfterDrops(position, dropped);
  }
  return result;
}

// The history's index mirrors the work file, so duplicates are found without reading it.
int HasDuplicateRecord(const char* text, int32_t length) {
  return FindEqualRecords(AppState.HistoryRows, std::string_view(text, static_cast<size_t>(length)), -1).size() > 1;
}

void PurgeDuplicates(HWND historyList, const char* text, int32_t length, int64_t newPosition) {
  std::vector<int64_t> older =
      FindEqualRecords(AppState.HistoryRows, std::string_view(text, static_cast<size_t>(length)), newPosition);
  if (older.empty() || !EnsureWorkFile()) return;
  std::vector<int> selected = SelectedRows(historyList);
  int remembered = selected.empty() ? 0 : selected.front();
  CompactRecordFile(AppState.WorkFile, kWorkFileTarget, older);
  LoadRecordList(historyList, nullptr);
  SelectRow(historyList, remembered);
}

int DeleteSelectedRecords(HWND list, FileHandle file, CompactTarget target) {
  // The chosen rows are read before the question: while the box closes the list gets the
  // focus back, and with SELINDEX 0 that selects its first row.
  std::vector<int64_t> positions = SelectedPositions(list);
  if (target == kWorkFileTarget) AppState.HistoryDeletePositions = &positions;
  AppState.PromptOpen = 1;
  int answer = MessageBoxA(AppState.MainWindow, "選択行を削除しますか？", "確認", MB_OKCANCEL);
  AppState.PromptOpen = 0;
  AppState.HistoryDeletePositions = nullptr;
  if (target == kWorkFileTarget) {
    // A capture may have compacted and reopened the work file while the box was open.
    file = EnsureWorkFile() ? AppState.WorkFile : kNoFile;
    if (file == kNoFile) return -1;
  }
  if (answer != IDOK || positions.empty()) return -1;
  // Only the chosen records go, whatever their length or first byte; positions that no
  // longer lead to a record are ignored by the rewrite.
  CompactRecordFile(file, target, positions);
  return 0;
}

void DeleteFromHistory(HWND historyList) {
  if (DeleteSelectedRecords(historyList, kNoFile, kWorkFileTarget) == 0) {
    LoadRecordList(historyList, nullptr);
    SelectFirstRow(historyList);
  }
}

void DeleteFromFavorites(HWND favoritesList) {
  FileHandle file = OpenFavoritesFile();
  if (file == kNoFile) return;
  if (DeleteSelectedRecords(favoritesList, file, kFavoritesTarget) != 0) {
    CloseFileHandle(file);
    return;
  }
  LoadRecordList(favoritesList, "Pelmor.SAV");
  SelectFirstRow(favoritesList);
}

void SaveToFavorites(HWND historyList) {
  std::vector<int64_t> positions = SelectedPositions(historyList);
  if (positions.empty() || !EnsureWorkFile()) return;
  FileHandle favorites = OpenFavoritesFile();
  if (favorites == kNoFile) return;
  std::vector<std::string> texts;
  ReadRecordsAt(AppState.WorkFile, positions, &texts);
  if (!texts.empty()) AppendRecordsTo(favorites, texts);
  CloseFileHandle(favorites);
  LoadRecordList(AppState.FavoritesList, "Pelmor.SAV");
  SelectFirstRow(AppState.FavoritesList);
}
