#include "sync_folder.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "../store/file_io.h"
#include "../store/index_file.h"
#include "day_files.h"

namespace {

constexpr int64_t kIdLimit = 4096;  // owner.id holds a short ID; more of a damaged one is not read

// A day file in another PC's folder, as the listing shows it.
struct PeerFile {
  int64_t day;
  std::string peer, key, path;
  FileStamp stamp;
};

bool Active(const SyncFolder& sync) {
  return sync.status == SyncStatus::kOn || sync.status == SyncStatus::kFolderUnusable;
}

char Separator(const SyncFolder& sync) { return sync.config.dir.back(); }

bool ReadOwner(const std::string& folder, std::string* id) {
  return ReadWholeFile((folder + "owner.id").c_str(), kIdLimit, id);
}

// This PC's folder is its own while owner.id holds its ID; a missing one is written (under a
// scratch name, so that it is never seen half written and taken for another PC's).
SyncStatus ClaimOwnFolder(const SyncFolder& sync) {
  std::string owner = sync.ownFolder + "owner.id", held;
  if (ReadOwner(sync.ownFolder, &held)) return held == sync.config.id ? SyncStatus::kOn : SyncStatus::kNameTaken;
  if (PathExists(owner.c_str())) return SyncStatus::kFolderUnusable;  // there, but not readable now
  bool claimed = MakeDirectory(sync.ownFolder.c_str()) &&
                 WriteFileSafely(owner.c_str(), (owner + ".TMP").c_str(), sync.config.id);
  return claimed ? SyncStatus::kOn : SyncStatus::kFolderUnusable;
}

// A folder this PC wrote under an earlier name holds its own texts: they are not imported.
// Its owner.id is read once a run.
bool IsEarlierOwnFolder(SyncFolder* sync, const std::string& name, const std::string& folder) {
  auto known = sync->earlierOwn.find(name);
  if (known == sync->earlierOwn.end()) {
    std::string id;
    known = sync->earlierOwn.emplace(name, ReadOwner(folder, &id) && id == sync->config.id).first;
  }
  return known->second;
}

// The day files in the other PCs' folders, oldest day first, then by folder name. False when
// DIR or one of the folders could not be listed (the files of the others are there).
bool ListPeerFiles(SyncFolder* sync, std::vector<PeerFile>* files) {
  std::vector<DirEntry> folders, entries;
  if (!ListDirectory(sync->config.dir.c_str(), &folders)) return false;
  bool complete = true;
  for (const DirEntry& folder : folders) {
    std::string path = sync->config.dir + folder.name + Separator(*sync);
    if (!folder.isDirectory || folder.name == sync->config.name || IsEarlierOwnFolder(sync, folder.name, path))
      continue;
    if (!ListDirectory(path.c_str(), &entries)) {
      complete = false;
      continue;
    }
    for (const DirEntry& e : entries) {
      CivilDate day;
      if (!e.isDirectory && ParseDayFileName(e.name, &day))
        files->push_back({DayNumber(day), folder.name, folder.name + '\\' + e.name, path + e.name, {e.size, e.modified}});
    }
  }
  std::sort(files->begin(), files->end(),
            [](const PeerFile& a, const PeerFile& b) { return std::tie(a.day, a.peer) < std::tie(b.day, b.peer); });
  return complete;
}

bool SaveProgress(SyncFolder* sync) {
  sync->progressUnsaved = !SaveSyncProgress(sync->progressPath, sync->progressScratch, sync->progress);
  return !sync->progressUnsaved;
}

// Progress of files that are gone goes; only when every folder could be listed, as a folder
// that is away for now (a network drive at logon) has not lost its files.
void DropGoneProgress(SyncFolder* sync) {
  std::vector<PeerFile> files;
  if (!ListPeerFiles(sync, &files)) return;
  std::set<std::string> there;
  for (const PeerFile& f : files) there.insert(f.key);
  if (std::erase_if(sync->progress, [&](const auto& entry) { return there.count(entry.first) == 0; }) > 0)
    SaveProgress(sync);
}

void DeleteOldDayFiles(const SyncFolder& sync, const CivilDate& today) {
  std::vector<DirEntry> entries;
  ListDirectory(sync.ownFolder.c_str(), &entries);  // not listed: nothing is deleted this time
  for (const DirEntry& e : entries) {
    CivilDate day;
    if (!e.isDirectory && ParseDayFileName(e.name, &day) && DayNumber(day) < DayNumber(today) - sync.config.keepDays)
      RemoveFile((sync.ownFolder + e.name).c_str());  // one that cannot go now goes at a later start
  }
}

int CountRecords(const std::string& path) {
  FileHandle file = OpenFileForReading(path.c_str());
  RecordIndex index;
  bool read = file != kNoFile && IndexRecordFile(file, &index);
  CloseFileHandle(file);
  return read ? static_cast<int>(index.records.size()) : 0;
}

}  // namespace

SyncStatus StartSync(SyncFolder* sync, const SyncConfig& config, const std::string& dataDir, const CivilDate& today) {
  *sync = SyncFolder();
  sync->config = config;
  sync->config.name = CleanPcName(config.name);
  sync->config.keepDays = std::clamp(config.keepDays, 1, 3650);
  if (config.dir.empty() || sync->config.name.empty() || config.id.empty()) return sync->status;
  sync->ownFolder = config.dir + sync->config.name + Separator(*sync);
  sync->outbox = dataDir + "Pelmor.OUT";
  sync->progressPath = dataDir + "Pelmor.SYN";
  sync->progressScratch = dataDir + "Pelmor.SYN.TMP";
  sync->status = ClaimOwnFolder(*sync);
  if (sync->status == SyncStatus::kNameTaken) return sync->status;
  if (sync->status == SyncStatus::kOn) DeleteOldDayFiles(*sync, today);
  LoadSyncProgress(sync->progressPath, &sync->progress);  // unreadable: imported again rather than never
  DropGoneProgress(sync);
  sync->waiting = CountRecords(sync->outbox);
  return sync->status;
}

bool QueueCapture(SyncFolder* sync, std::string_view record) {
  if (!Active(*sync) || record.size() > INT32_MAX) return false;
  FileHandle out = OpenRecordFile(sync->outbox.c_str());
  bool queued = out != kNoFile && SettleRecordFile(out, sync->outbox, &sync->keptCopies) == 0 &&
                AppendRecordTo(out, record.data(), static_cast<int32_t>(record.size())) >= 0;
  CloseFileHandle(out);
  if (queued) ++sync->waiting;
  return queued;
}

int FlushOutbox(SyncFolder* sync, const CivilDate& today) {
  if (!Active(*sync)) return sync->waiting;
  // The folder is claimed again after it failed: it may have been removed, or taken by another PC.
  if (sync->status != SyncStatus::kOn && (sync->status = ClaimOwnFolder(*sync)) != SyncStatus::kOn)
    return sync->waiting;
  if (!PathExists(sync->outbox.c_str())) return sync->waiting = 0;
  FileHandle out = OpenRecordFile(sync->outbox.c_str());
  RowIndex queued;
  if (out == kNoFile || LoadAndSettle(out, sync->outbox, &queued, &sync->keptCopies) != 0) {
    CloseFileHandle(out);
    return sync->waiting;
  }
  std::vector<std::string> texts;
  for (const RecordSpan& r : queued.records) texts.emplace_back(TextOf(queued, r));
  sync->waiting = static_cast<int>(texts.size());
  if (!texts.empty() &&
      AppendToDayFile(sync->ownFolder + DayFileName(today), texts, &sync->keptCopies) != 0) {
    sync->status = SyncStatus::kFolderUnusable;
    CloseFileHandle(out);
    return sync->waiting;
  }
  // Emptied before it goes: should it not go, its texts are still not written twice.
  TruncateAt(out, 0);
  CloseFileHandle(out);
  RemoveFile(sync->outbox.c_str());
  return sync->waiting = 0;
}

int WaitingCount(const SyncFolder& sync) { return sync.waiting; }

std::vector<ImportBatch> CollectImports(SyncFolder* sync) {
  std::vector<ImportBatch> batches;
  if (!Active(*sync)) return batches;
  if (sync->progressUnsaved) SaveProgress(sync);
  std::vector<PeerFile> files;
  ListPeerFiles(sync, &files);  // what could be listed is taken in
  for (const PeerFile& f : files) {
    auto seen = sync->seen.find(f.key);
    if (seen != sync->seen.end() && seen->second == f.stamp) continue;
    auto done = sync->progress.find(f.key);
    ImportBatch batch{f.key, 0, {}, f.stamp};
    if (!ReadPeerDayFile(f.path, done == sync->progress.end() ? 0 : done->second, &batch.newProgress, &batch.texts))
      continue;  // tried again at the next tick
    // Nothing new, or the file was rolled back: its records are its progress from now on.
    if (batch.texts.empty()) ConfirmImport(sync, batch);
    else batches.push_back(std::move(batch));
  }
  return batches;
}

bool ConfirmImport(SyncFolder* sync, const ImportBatch& batch) {
  sync->seen[batch.key] = batch.stamp;
  auto done = sync->progress.find(batch.key);
  if (done == sync->progress.end() ? batch.newProgress != 0 : done->second != batch.newProgress) {
    sync->progress[batch.key] = batch.newProgress;
    sync->progressUnsaved = true;
  }
  return !sync->progressUnsaved || SaveProgress(sync);
}
