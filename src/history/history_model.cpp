#include "history_model.h"

#include <algorithm>
#include <new>
#include <unordered_map>

#include "../store/index_file.h"

void CloseWorkFile(HistoryModel* model) {
  CloseFileHandle(model->work);
  model->work = kNoFile;
}

namespace {

RowIndex& IndexOf(HistoryModel* model, RecordList list) {
  return list == RecordList::kHistory ? model->history : model->favorites;
}

// Empties an index, keeping the order and the filter the list shows it with.
void ClearIndex(RowIndex* index) {
  index->bytes.clear();
  index->records.clear();
  index->matches.clear();
}

// Reads the open work file into the history. False when it cannot be read or settled; the
// history is then empty rather than out of step with the file.
bool LoadHistory(HistoryModel* model) {
  model->history.newestFirst = model->options.newestFirst;
  model->mirrored = LoadAndSettle(model->work, model->paths.work, &model->history, &model->keptCopies) == 0;
  if (!model->mirrored) ClearIndex(&model->history);
  return model->mirrored;
}

// Opens the work file after a rewrite that the history already shows; reads it only when it
// is not the file the history mirrors. Without it the next operation tries again.
void ReopenWork(HistoryModel* model) {
  model->work = OpenRecordFile(model->paths.work.c_str());
  if (model->work == kNoFile) return;
  if (!model->mirrored || FileSizeOf(model->work) != static_cast<int64_t>(model->history.bytes.size()))
    LoadHistory(model);
}

// A delete confirmation open on this list follows its records to where a rewrite put them.
void FollowPendingDelete(HistoryModel* model, RecordList list, const std::vector<RecordSpan>& dropped) {
  PendingDelete& pending = model->pendingDelete;
  if (!pending.open || pending.list != list) return;
  std::vector<int64_t> moved = PositionsAfterDrops(pending.positions, dropped);
  std::erase(moved, -1);
  pending.positions.swap(moved);
}

// Puts the file written under the scratch name in place of the list's file and takes the
// records out of the index; the records that went, in file order, in *dropped (none when the
// index could not follow and is read again). The work file is closed meanwhile (a file held
// open cannot be replaced) and opened again. 0, or -103 (the file is as it was).
int ReplaceWithScratch(HistoryModel* model, RecordList list, const std::vector<int64_t>& drop,
                       std::vector<RecordSpan>* dropped) {
  bool history = list == RecordList::kHistory;
  const std::string& target = history ? model->paths.work : model->paths.favorites;
  if (history) CloseWorkFile(model);
  bool replaced = RenameOver(model->paths.scratch.c_str(), target.c_str());
  if (!replaced) {
    RemoveFile(model->paths.scratch.c_str());
  } else {
    try {
      DropFromIndex(&IndexOf(model, list), drop, dropped);
      FollowPendingDelete(model, list, *dropped);
    } catch (const std::bad_alloc&) {
      dropped->clear();
      if (model->pendingDelete.list == list) model->pendingDelete.positions.clear();  // cannot be followed
      if (history) model->mirrored = false;  // read again from the file when it is reopened
      else ClearIndex(&model->favorites);
    }
  }
  if (history) ReopenWork(model);
  return replaced ? 0 : -103;
}

// Rewrites the work file without the records at drop (sorted positions of the history).
// 0, -101 (the history is not known), -102 (cannot write), -103 (cannot replace).
int RewriteHistory(HistoryModel* model, const std::vector<int64_t>& drop, std::vector<RecordSpan>* dropped) {
  if (!EnsureWorkFile(model)) return -101;
  int result = WriteIndexWithout(model->history, drop, model->paths.scratch.c_str());
  return result != 0 ? result : ReplaceWithScratch(model, RecordList::kHistory, drop, dropped);
}

// With a cap, the oldest records beyond it join drop (sorted), once the history has passed
// its limit, or at once with cutNow.
void DropOldestBeyondCap(HistoryModel* model, bool cutNow, std::vector<int64_t>* drop) {
  const int cap = model->options.maxCount;
  const std::vector<RecordSpan>& records = model->history.records;
  int64_t count = static_cast<int64_t>(records.size() - drop->size());
  if (cap <= 0 || count <= (cutNow ? cap : HistoryLimit(cap)) || (!cutNow && count < model->capRetryCount)) return;
  std::vector<int64_t> merged;
  size_t next = 0;
  for (const RecordSpan& r : records) {
    bool dropped = next < drop->size() && (*drop)[next] == r.position;
    if (dropped) ++next;
    if (dropped || count > cap) merged.push_back(r.position);
    if (!dropped && count > cap) --count;
  }
  drop->swap(merged);
}

// Rewrites the history without drop; a cut for the cap that fails is tried again only when a
// tenth more has come, not at every capture.
int DropFromHistory(HistoryModel* model, const std::vector<int64_t>& drop, std::vector<RecordSpan>* dropped) {
  int result = RewriteHistory(model, drop, dropped);
  int cap = model->options.maxCount;
  model->capRetryCount =
      result != 0 && cap > 0 ? static_cast<int64_t>(model->history.records.size()) + HistoryLimit(cap) - cap : 0;
  return result;
}

// The cap as the model takes it from the settings.
HistoryOptions TakenOptions(HistoryOptions options) {
  options.maxCount = CapOfSetting(options.maxCount);
  return options;
}

// Cuts a history that holds more than its cap, at once.
void CutToCap(HistoryModel* model) {
  std::vector<int64_t> drop;
  std::vector<RecordSpan> dropped;
  DropOldestBeyondCap(model, true, &drop);
  if (!drop.empty()) DropFromHistory(model, drop, &dropped);
}

// The records older than the last record of the same text among those from firstNew on (the
// ones just recorded), in file order, each with the position of that last record.
std::vector<std::pair<int64_t, int64_t>> OlderEqualRecords(const RowIndex& index, size_t firstNew) {
  std::vector<std::pair<int64_t, int64_t>> older;
  if (firstNew + 1 == index.records.size()) {  // one text: most records differ in length at once
    const RecordSpan& last = index.records.back();
    for (int64_t p : FindEqualRecords(index, TextOf(index, last), last.position))
      older.push_back({p, last.position});
    return older;
  }
  std::unordered_map<std::string_view, int64_t> newest;
  for (size_t i = firstNew; i < index.records.size(); ++i)
    newest[TextOf(index, index.records[i])] = index.records[i].position;
  for (const RecordSpan& record : index.records) {
    auto it = newest.find(TextOf(index, record));
    if (it != newest.end() && it->second != record.position) older.push_back({record.position, it->second});
  }
  return older;
}

// After the records from firstNew on were recorded: one rewrite takes out the older records of
// the texts recorded again (with dropDuplicates) and what passes the cap, and the change says
// where every record went (when it could follow them up to here). Without the memory for it,
// the rewrite waits for a later recording.
void RewriteAfterRecording(HistoryModel* model, size_t firstNew, ListChange* change) {
  const bool followed = change->followed;
  try {
    std::vector<std::pair<int64_t, int64_t>> again;
    if (model->options.dropDuplicates) again = OlderEqualRecords(model->history, firstNew);
    std::vector<int64_t> drop, newer;
    for (const auto& [older, newest] : again) drop.push_back(older), newer.push_back(newest);
    DropOldestBeyondCap(model, false, &drop);
    std::vector<RecordSpan> dropped;
    if (drop.empty() || DropFromHistory(model, drop, &dropped) != 0) return;
    change->kind = ListChange::kReloaded;
    change->followed = false;
    if (dropped.size() != drop.size()) return;  // read again from the file
    newer = PositionsAfterDrops(newer, dropped);
    size_t next = 0;  // again is in file order, as dropped is
    for (const RecordSpan& span : dropped) {
      bool recordedAgain = next < again.size() && again[next].first == span.position;
      change->dropped.push_back({span, recordedAgain ? newer[next++] : -1});
    }
    change->followed = followed;
  } catch (const std::bad_alloc&) {
    change->dropped.clear();
  }
}

}  // namespace

int64_t HistoryLimit(int maxCount) { return maxCount + std::max(maxCount / 10, 100); }

bool IsAcceptedCap(int64_t cap) {
  return cap == 0 || (cap >= kMinMaxCount && cap <= kMaxMaxCount);
}

int CapOfSetting(int64_t maxCount) {
  return maxCount <= 0 ? 0 : static_cast<int>(std::clamp<int64_t>(maxCount, kMinMaxCount, kMaxMaxCount));
}

int OpenHistory(HistoryModel* model, const std::string& dataDir, int bootInit, const HistoryOptions& options) {
  model->paths = MakeHistoryPaths(dataDir);
  model->options = TakenOptions(options);
  PrepareWorkFile(model->paths, bootInit);
  model->work = OpenRecordFile(model->paths.work.c_str());
  if (model->work == kNoFile) return -101;
  if (!LoadHistory(model)) return -102;
  ReloadFavorites(model);
  CutToCap(model);
  return 0;
}

void CloseHistory(HistoryModel* model) {
  CloseWorkFile(model);
  RotateHistoryFiles(model->paths, !model->backedUp);
  model->backedUp = true;
}

bool EnsureWorkFile(HistoryModel* model) {
  if (model->work == kNoFile) model->work = OpenRecordFile(model->paths.work.c_str());
  if (model->work == kNoFile) return false;
  // Every rewrite is written from the history: it must be the file, byte for byte.
  if (model->mirrored && FileSizeOf(model->work) == static_cast<int64_t>(model->history.bytes.size())) return true;
  if (LoadHistory(model)) return true;
  CloseWorkFile(model);
  return false;
}

int RecordText(HistoryModel* model, std::string_view text, ListChange* change) {
  *change = {};
  if (text.size() > INT32_MAX - 8 || !EnsureWorkFile(model)) return -103;
  const int32_t length = static_cast<int32_t>(text.size());
  int64_t position = AppendRecordTo(model->work, text.data(), length);
  if (position < 0) return position == -2 ? -104 : -103;
  int row = -2;
  try {
    if (model->mirrored) row = AddRecordToIndex(&model->history, position, text.data(), length);
  } catch (const std::bad_alloc&) {
  }
  if (row == -2) {  // out of step with the file: read it again, and the rows are new
    LoadHistory(model);
    change->kind = ListChange::kReloaded;
  } else {
    *change = {ListChange::kRowAdded, row, true, {}};  // the records before it lie where they lay
  }
  if (model->mirrored) RewriteAfterRecording(model, model->history.records.size() - 1, change);
  return 0;
}

int RecordTexts(HistoryModel* model, const std::vector<std::string_view>& texts, ListChange* change) {
  if (texts.size() == 1) return RecordText(model, texts[0], change);
  *change = {};
  if (texts.empty()) return 0;
  if (!EnsureWorkFile(model)) return -103;
  const size_t batchStart = model->history.records.size();
  int64_t position = 0;
  int appended = AppendRecordsTo(model->work, texts, &position);
  if (appended != 0) return appended == -104 ? -104 : -103;
  *change = {ListChange::kReloaded, -1, true, {}};
  try {
    for (std::string_view text : texts) {
      int32_t length = static_cast<int32_t>(text.size());
      if (AddRecordToIndex(&model->history, position, text.data(), length) == -2) throw std::bad_alloc();
      position += 4 + length;
    }
  } catch (const std::bad_alloc&) {
    LoadHistory(model);  // the file says what is there
    change->followed = false;
  }
  if (model->mirrored) RewriteAfterRecording(model, batchStart, change);
  return 0;
}

void BeginDelete(HistoryModel* model, RecordList list, const std::vector<int64_t>& positions) {
  model->pendingDelete = {true, list, RecordPositionsOf(IndexOf(model, list), positions)};
}

int FinishDelete(HistoryModel* model, bool confirmed, ListChange* change) {
  PendingDelete pending = std::move(model->pendingDelete);
  model->pendingDelete = {};
  *change = {};
  if (!confirmed || pending.positions.empty()) return -1;
  std::vector<RecordSpan> dropped;
  if (pending.list == RecordList::kHistory) {
    if (RewriteHistory(model, pending.positions, &dropped) != 0) return -1;
    change->kind = ListChange::kReloaded;
    return 0;
  }
  // Pelmor.SAV is opened per operation: the rows are its records only while it is the file
  // they were read from. Replaced meanwhile, it is shown as it is now and nothing is deleted.
  FileHandle file = OpenRecordFile(model->paths.favorites.c_str());
  if (file == kNoFile) return -1;
  RowIndex onDisk;
  onDisk.newestFirst = model->favorites.newestFirst;
  onDisk.filter = model->favorites.filter;
  int result = LoadAndSettle(file, model->paths.favorites, &onDisk, &model->keptCopies);
  if (result == 0 && onDisk.bytes != model->favorites.bytes) {
    model->favorites = std::move(onDisk);
    change->kind = ListChange::kReloaded;
    result = -1;
  }
  if (result == 0) result = WriteIndexWithout(model->favorites, pending.positions, model->paths.scratch.c_str());
  CloseFileHandle(file);
  if (result == 0) result = ReplaceWithScratch(model, RecordList::kFavorites, pending.positions, &dropped);
  if (result != 0) return -1;
  change->kind = ListChange::kReloaded;
  return 0;
}

int CopyToFavorites(HistoryModel* model, const std::vector<int64_t>& positions, ListChange* change) {
  *change = {};
  std::vector<std::string_view> texts = TextsAt(*model, RecordList::kHistory, positions);
  if (texts.empty()) return -1;
  FileHandle file = OpenRecordFile(model->paths.favorites.c_str());
  if (file == kNoFile) return -101;
  int settled = LoadAndSettle(file, model->paths.favorites, &model->favorites, &model->keptCopies);
  int result = settled == 0 ? AppendRecordsTo(file, texts) : -101;
  // Shown as the file now is, whether or not the texts could be added.
  if (LoadRowIndex(file, &model->favorites)) change->kind = ListChange::kReloaded;
  CloseFileHandle(file);
  return result;
}

void ReloadFavorites(HistoryModel* model) {
  model->favorites.newestFirst = model->options.newestFirst;
  FileHandle file = OpenRecordFile(model->paths.favorites.c_str());
  if (file == kNoFile ||
      LoadAndSettle(file, model->paths.favorites, &model->favorites, &model->keptCopies) != 0)
    ClearIndex(&model->favorites);
  CloseFileHandle(file);
}

// After the work file was replaced as a whole: read it, or, when it cannot be opened, an
// empty history rather than rows that no longer match a file.
static int ReadReplacedWorkFile(HistoryModel* model, ListChange* change) {
  change->kind = ListChange::kReloaded;
  model->work = OpenRecordFile(model->paths.work.c_str());
  if (model->work != kNoFile && LoadHistory(model)) return 0;
  CloseWorkFile(model);
  model->mirrored = false;
  ClearIndex(&model->history);
  return -1;
}

// The work file is about to be replaced as a whole: a delete confirmation still open is about
// records that will no longer be there, and must delete nothing.
static void ReleaseWorkFile(HistoryModel* model) {
  CloseWorkFile(model);
  if (model->pendingDelete.list == RecordList::kHistory) model->pendingDelete.positions.clear();
}

int RestoreSavedHistory(HistoryModel* model, ListChange* change) {
  ReleaseWorkFile(model);
  // Without a saved history the copy fails and the work file stays as it was.
  CopyFileSafely(model->paths.saved.c_str(), model->paths.work.c_str(), model->paths.scratch.c_str());
  return ReadReplacedWorkFile(model, change);
}

int EmptyHistory(HistoryModel* model, ListChange* change) {
  ReleaseWorkFile(model);
  RemoveFile(model->paths.work.c_str());
  return ReadReplacedWorkFile(model, change);
}

void ApplyHistoryOptions(HistoryModel* model, const HistoryOptions& options, ListChange* history,
                         ListChange* favorites) {
  model->options = TakenOptions(options);
  model->history.newestFirst = options.newestFirst;  // the rows turn round; the file stays
  ReloadFavorites(model);
  CutToCap(model);
  *history = {};
  *favorites = {};
  history->kind = favorites->kind = ListChange::kReloaded;
}

std::vector<int> RowsAfterRecording(const HistoryModel& model, const ListChange& change,
                                    const std::vector<int64_t>& positionsBefore) {
  std::vector<int> rows(positionsBefore.size(), -1);
  if (!change.followed) return rows;
  std::vector<RecordSpan> dropped;
  for (const DroppedRecord& d : change.dropped) dropped.push_back(d.span);
  std::vector<int64_t> now = PositionsAfterDrops(positionsBefore, dropped);
  for (size_t i = 0; i < rows.size(); ++i) {
    auto it = std::lower_bound(change.dropped.begin(), change.dropped.end(), positionsBefore[i],
                               [](const DroppedRecord& d, int64_t p) { return d.span.position < p; });
    if (it != change.dropped.end() && it->span.position == positionsBefore[i])
      now[i] = it->recordedAgainAt;  // taken out: where its text is now, if it was recorded again
    if (now[i] >= 0) rows[i] = RowOfPosition(model.history, now[i]);
  }
  return rows;
}

std::vector<std::string_view> TextsAt(const HistoryModel& model, RecordList list,
                                      const std::vector<int64_t>& positions) {
  const RowIndex& index = list == RecordList::kHistory ? model.history : model.favorites;
  std::vector<std::string_view> texts;
  for (int64_t position : positions) {
    auto it = std::lower_bound(index.records.begin(), index.records.end(), position,
                               [](const RecordSpan& s, int64_t p) { return s.position < p; });
    if (it != index.records.end() && it->position == position) texts.push_back(TextOf(index, *it));
  }
  return texts;
}
