#include "history_model.h"

#include <algorithm>
#include <new>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "../store/index_file.h"

struct RewriteJob {
  FileHandle scratch = kNoFile;  // the new work file, opened before the rows changed
  const char* bytes = nullptr;   // the history's bytes: those before size stay as they are until it ends
  int64_t size = 0;
  int32_t count = 0;
  std::vector<std::string> purged;  // the texts recorded again whose older records it takes out
  bool written = false;  // set by the writer: the bytes are in the scratch file, flushed
  std::thread writer;
  ~RewriteJob() {
    if (writer.joinable()) writer.join();
  }
};

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
  index->signing.reset();  // stopped before the bytes go
  index->signatures.clear();
  index->bytes.clear();
  index->records.clear();
  index->matches.clear();
}

void PutCount(int32_t count, char* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((static_cast<uint32_t>(count) >> (8 * i)) & 0xFF);
}

// A rewrite's file work: the history's bytes as they were when it began, under the scratch name,
// flushed to disk.
void WriteRewrite(RewriteJob* job) {
  char count[4];
  PutCount(job->count, count);
  job->written = WriteBytes(job->scratch, count, 4) && WriteBytes(job->scratch, job->bytes + 4, job->size - 4) &&
                 FlushToDisk(job->scratch);
}

// The rows are about to be read from the work file, which holds every record (those the rewrite
// took out too): the rewrite is dropped, and a delete confirmation cannot follow its records.
void AbandonRewrite(HistoryModel* model) {
  std::shared_ptr<RewriteJob> job = std::move(model->rewrite);
  if (!job) return;
  if (job->writer.joinable()) job->writer.join();
  CloseFileHandle(job->scratch);
  RemoveFile(model->paths.scratch.c_str());
  if (model->pendingDelete.list == RecordList::kHistory) model->pendingDelete.positions.clear();
}

// A long history is signed for the filter on another thread, where the model has threads (again
// after a rewrite stopped it, from where it got to).
void SignBeside(HistoryModel* model) {
  constexpr size_t kSignFrom = 1 << 20;
  if (model->mirrored && model->rewritten && model->history.bytes.size() >= kSignFrom) SignRecords(&model->history, true);
}

// Reads the open work file into the history. False when it cannot be read or settled; the
// history is then empty rather than out of step with the file.
bool LoadHistory(HistoryModel* model) {
  AbandonRewrite(model);
  model->history.newestFirst = model->options.newestFirst;
  model->mirrored = LoadAndSettle(model->work, model->paths.work, &model->history, &model->keptCopies) == 0;
  if (!model->mirrored) ClearIndex(&model->history);
  SignBeside(model);
  return model->mirrored;
}

// A delete confirmation open on this list follows its records to where a rewrite put them.
void FollowPendingDelete(HistoryModel* model, RecordList list, const std::vector<RecordSpan>& dropped) {
  PendingDelete& pending = model->pendingDelete;
  if (!pending.open || pending.list != list) return;
  std::vector<int64_t> moved = PositionsAfterDrops(pending.positions, dropped);
  std::erase(moved, -1);
  pending.positions.swap(moved);
}

// Puts the file written under the scratch name in place of the favorites and takes the records
// out of their index; the records that went, in file order, in *dropped (none when the index
// could not follow and is emptied, to be read again). 0, or -103 (the file is as it was).
int ReplaceFavorites(HistoryModel* model, const std::vector<int64_t>& drop, std::vector<RecordSpan>* dropped) {
  bool replaced = RenameOver(model->paths.scratch.c_str(), model->paths.favorites.c_str());
  if (!replaced) {
    RemoveFile(model->paths.scratch.c_str());
  } else {
    try {
      DropFromIndex(&model->favorites, drop, dropped);
      FollowPendingDelete(model, RecordList::kFavorites, *dropped);
    } catch (const std::bad_alloc&) {
      dropped->clear();
      if (model->pendingDelete.list == RecordList::kFavorites) model->pendingDelete.positions.clear();
      ClearIndex(&model->favorites);
    }
  }
  return replaced ? 0 : -103;
}

// Rewrites the work file without the records at drop (sorted positions of the history): the rows
// and a delete confirmation follow at once, and the file is written from the rows (on another
// thread when the model has one) and put in place by FinishRewrite. 0; -101 (the history is not
// known), -102 (no scratch file), -104 (no memory): nothing changed; -103: the rewrite failed or
// one before it did, and the rows were read again from the work file.
int RewriteHistory(HistoryModel* model, const std::vector<int64_t>& drop, std::vector<RecordSpan>* dropped) {
  dropped->clear();
  if (FinishRewrite(model)) return -103;  // the positions were of rows read again since
  if (!EnsureWorkFile(model)) return -101;
  std::shared_ptr<RewriteJob> job;
  try {
    job = std::make_shared<RewriteJob>();
  } catch (const std::bad_alloc&) {
    return -104;
  }
  job->scratch = CreateScratchFile(model->paths.scratch.c_str());
  if (job->scratch == kNoFile) return -102;
  RowIndex& history = model->history;
  try {
    DropFromIndex(&history, drop, dropped);
  } catch (const std::bad_alloc&) {  // taken before anything moved
    CloseFileHandle(job->scratch);
    RemoveFile(model->paths.scratch.c_str());
    return -104;
  }
  try {
    FollowPendingDelete(model, RecordList::kHistory, *dropped);
  } catch (const std::bad_alloc&) {
    if (model->pendingDelete.list == RecordList::kHistory) model->pendingDelete.positions.clear();  // cannot be followed
  }
  job->bytes = history.bytes.data();
  job->size = static_cast<int64_t>(history.bytes.size());
  job->count = static_cast<int32_t>(history.records.size());
  model->rewrite = job;
  SignBeside(model);
  if (model->rewritten) {
    try {
      job->writer = std::thread([written = model->rewritten, writing = job.get()] {
        WriteRewrite(writing);
        written();
      });
      return 0;
    } catch (...) {  // no thread, or no memory for one: written here
    }
  }
  WriteRewrite(job.get());
  return FinishRewrite(model) ? -103 : 0;
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
  FinishRewrite(model);  // the oldest records as the file will hold them
  std::vector<int64_t> drop;
  std::vector<RecordSpan> dropped;
  DropOldestBeyondCap(model, true, &drop);
  if (!drop.empty()) DropFromHistory(model, drop, &dropped);
}

// The record at a position that the history holds.
const RecordSpan& RecordAt(const RowIndex& index, int64_t position) {
  return *std::lower_bound(index.records.begin(), index.records.end(), position,
                           [](const RecordSpan& s, int64_t p) { return s.position < p; });
}

// The records older than the last record of the same text, for the texts of the records from
// firstNew on (the ones just recorded) and the texts given (recorded again before, their older
// records not taken out yet), in file order, each with the position of that last record.
std::vector<std::pair<int64_t, int64_t>> OlderEqualRecords(const RowIndex& index, size_t firstNew,
                                                           const std::vector<std::string>& texts) {
  std::vector<std::pair<int64_t, int64_t>> older;
  if (firstNew + 1 == index.records.size() && texts.empty()) {  // one text: most records differ in length at once
    const RecordSpan& last = index.records.back();
    for (int64_t p : FindEqualRecords(index, TextOf(index, last), last.position))
      older.push_back({p, last.position});
    return older;
  }
  std::unordered_map<std::string_view, int64_t> newest;
  for (size_t i = firstNew; i < index.records.size(); ++i) newest[TextOf(index, index.records[i])] = -1;
  for (const std::string& text : texts) newest[text] = -1;
  for (size_t i = texts.empty() ? firstNew : 0; i < index.records.size(); ++i) {
    auto it = newest.find(TextOf(index, index.records[i]));
    if (it != newest.end()) it->second = index.records[i].position;
  }
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
    // A purge that failed before is done with this one.
    std::vector<std::string> purging = std::move(model->purgeAgain);
    model->purgeAgain.clear();
    if (model->options.dropDuplicates) again = OlderEqualRecords(model->history, firstNew, purging);
    std::vector<int64_t> drop, newer;
    for (const auto& [older, newest] : again) drop.push_back(older), newer.push_back(newest);
    DropOldestBeyondCap(model, false, &drop);
    if (drop.empty()) return;
    purging.clear();  // by text: the places of records change with every rewrite or reload
    for (int64_t newest : std::set<int64_t>(newer.begin(), newer.end()))
      purging.emplace_back(TextOf(model->history, RecordAt(model->history, newest)));
    std::vector<RecordSpan> dropped;
    int result = DropFromHistory(model, drop, &dropped);
    if (result != 0) model->purgeAgain.insert(model->purgeAgain.end(), purging.begin(), purging.end());
    if (result == 0 && model->rewrite) model->rewrite->purged = std::move(purging);
    if (result == -103) *change = {ListChange::kReloaded, -1, false, {}};  // the rows were read again
    if (result != 0) return;
    change->kind = ListChange::kReloaded;
    change->followed = false;
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
  // A saved history that cannot be copied to the work file: an empty one would be saved over it.
  if (!PrepareWorkFile(model->paths, bootInit)) return -101;
  model->work = OpenRecordFile(model->paths.work.c_str());
  if (model->work == kNoFile) return -101;
  if (!LoadHistory(model)) return -102;
  ReloadFavorites(model);
  CutToCap(model);
  return 0;
}

bool FinishRewrite(HistoryModel* model) {
  std::shared_ptr<RewriteJob> job = std::move(model->rewrite);
  if (!job) return false;
  if (job->writer.joinable()) job->writer.join();
  const ByteBuffer& bytes = model->history.bytes;
  const int64_t size = static_cast<int64_t>(bytes.size());
  bool replaced = job->written;
  // What was recorded meanwhile is in the old work file already, and goes into the new one too.
  if (replaced && size > job->size) {
    char count[4];
    PutCount(static_cast<int32_t>(model->history.records.size()), count);
    replaced = SeekTo(job->scratch, job->size) && WriteBytes(job->scratch, bytes.data() + job->size, size - job->size) &&
               SeekTo(job->scratch, 0) && WriteBytes(job->scratch, count, 4) && FlushToDisk(job->scratch);
  }
  CloseFileHandle(job->scratch);
  CloseWorkFile(model);  // a file held open cannot be replaced
  replaced = replaced && RenameOver(model->paths.scratch.c_str(), model->paths.work.c_str());
  if (!replaced) RemoveFile(model->paths.scratch.c_str());
  if (!replaced) model->purgeAgain.insert(model->purgeAgain.end(), job->purged.begin(), job->purged.end());
  model->work = OpenRecordFile(model->paths.work.c_str());
  // In place (unopened, the next operation opens it): the rows are the file.
  if (replaced && (model->work == kNoFile || FileSizeOf(model->work) == size)) return false;
  // The work file as it was, with what was recorded since: the rows are read from it (when it
  // cannot be opened, by the next operation), and a delete confirmation cannot follow them.
  if (model->pendingDelete.list == RecordList::kHistory) model->pendingDelete.positions.clear();
  if (model->work == kNoFile) model->mirrored = false;
  else LoadHistory(model);
  return true;
}

void BeginOpeningHistory(HistoryModel* model, const std::string& dataDir, int bootInit, const HistoryOptions& options) {
  try {
    model->opening = std::async(std::launch::async, [=] { return OpenHistory(model, dataDir, bootInit, options); });
  } catch (...) {  // no thread: the same work, here
    std::promise<int> opened;
    opened.set_value(OpenHistory(model, dataDir, bootInit, options));
    model->opening = opened.get_future();
  }
}

int FinishOpeningHistory(HistoryModel* model, std::function<void()> rewritten) {
  int result = model->opening.valid() ? model->opening.get() : -101;
  if (result != 0) return result;
  model->rewritten = std::move(rewritten);
  SignBeside(model);
  return 0;
}

void CloseHistory(HistoryModel* model) {
  FinishRewrite(model);
  CloseWorkFile(model);
  RotateHistoryFiles(model->paths, !model->backedUp);
  model->backedUp = true;
}

bool EnsureWorkFile(HistoryModel* model) {
  FinishRewrite(model);
  if (model->work == kNoFile) model->work = OpenRecordFile(model->paths.work.c_str());
  if (model->work == kNoFile) return false;
  // Every rewrite is written from the history: it must be the file, byte for byte.
  if (model->mirrored && FileSizeOf(model->work) == static_cast<int64_t>(model->history.bytes.size())) return true;
  if (LoadHistory(model)) return true;
  CloseWorkFile(model);
  return false;
}

// While a rewrite is written, a text is recorded in the work file as it is (on disk at once) and
// in the rows beside the bytes being written, never moving them: with no room left there, the
// rewrite is finished first. True when the work file is ready for the texts.
static bool ReadyToRecord(HistoryModel* model, int64_t bytes) {
  const ByteBuffer& history = model->history.bytes;
  if (model->rewrite && bytes > static_cast<int64_t>(history.capacity() - history.size())) FinishRewrite(model);
  return model->rewrite || EnsureWorkFile(model);
}

// Where a record appended to the work file at this position lies in the rows: the same place,
// except while a rewrite is written, when the work file is still the one before it.
static int64_t PlaceInRows(const HistoryModel& model, int64_t position) {
  return model.rewrite ? static_cast<int64_t>(model.history.bytes.size()) : position;
}

int RecordText(HistoryModel* model, std::string_view text, ListChange* change) {
  *change = {};
  if (text.size() > INT32_MAX - 8 || !ReadyToRecord(model, 4 + static_cast<int64_t>(text.size()))) return -103;
  const int32_t length = static_cast<int32_t>(text.size());
  int64_t position = AppendRecordTo(model->work, text.data(), length);
  if (position < 0) return position == -2 ? -104 : -103;
  int row = -2;
  try {
    if (model->mirrored) row = AddRecordToIndex(&model->history, PlaceInRows(*model, position), text.data(), length);
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
  int64_t bytes = 0;
  for (std::string_view text : texts) bytes += 4 + static_cast<int64_t>(text.size());
  if (!ReadyToRecord(model, bytes)) return -103;
  const size_t batchStart = model->history.records.size();
  int64_t position = 0;
  int appended = AppendRecordsTo(model->work, texts, &position);
  if (appended != 0) return appended == -104 ? -104 : -103;
  position = PlaceInRows(*model, position);
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
  *change = {};
  // The chosen records as the file will hold them (none when the rows were read again), and the
  // scratch file free for this rewrite.
  if (FinishRewrite(model)) change->kind = ListChange::kReloaded;
  PendingDelete pending = std::move(model->pendingDelete);
  model->pendingDelete = {};
  if (!confirmed || pending.positions.empty()) return -1;
  std::vector<RecordSpan> dropped;
  if (pending.list == RecordList::kHistory) {
    int result = RewriteHistory(model, pending.positions, &dropped);
    if (result == 0 || result == -103) change->kind = ListChange::kReloaded;
    return result == 0 ? 0 : -1;
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
  if (result == 0) result = ReplaceFavorites(model, pending.positions, &dropped);
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
  FinishRewrite(model);
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
