#include "sync_folder.h"

#include <algorithm>
#include <new>
#include <set>
#include <tuple>

#include "../store/file_io.h"
#include "../store/index_file.h"
#include "day_files.h"
#include "sealed_day_files.h"

namespace {

constexpr int64_t kIdLimit = 4096;  // owner.id holds a short ID; more of a damaged one is not read

// A day file in another PC's folder, as the listing shows it.
struct PeerFile {
  int64_t day;
  std::string peer, key, path;
  FileStamp stamp;
  bool sealed;  // YYYYMMDD.PLX
};

// Captures are queued: the folder takes them now, or they wait for it.
bool Active(const SyncFolder& sync) {
  return sync.status == SyncStatus::kOn || sync.status == SyncStatus::kFolderUnusable ||
         sync.status == SyncStatus::kKeyNeeded;
}

// A day file's name, plain or sealed.
bool ParseAnyDayFileName(std::string_view name, CivilDate* day, bool* sealed) {
  *sealed = ParseSealedDayFileName(name, day);
  return *sealed || ParseDayFileName(name, day);
}

char Separator(const SyncFolder& sync) { return sync.config.dir.back(); }

bool ReadOwner(const std::string& folder, std::string* id) {
  return ReadWholeFile((folder + "owner.id").c_str(), kIdLimit, id);
}

FileStamp StampOf(const std::string& path) {
  DirEntry entry;
  return StatPath(path.c_str(), &entry) ? FileStamp{entry.size, entry.modified} : FileStamp();
}

// This PC's folder is its own while owner.id holds its ID; a missing one is written (under a
// scratch name, so that it is never seen half written and taken for another PC's). The stamp is
// taken first: a file replaced after it is read again at the next write.
SyncStatus ClaimOwnFolder(SyncFolder* sync) {
  std::string owner = sync->ownFolder + "owner.id", held;
  FileStamp stamp = StampOf(owner);
  SyncStatus status;
  if (ReadOwner(sync->ownFolder, &held))
    status = held == sync->config.id ? SyncStatus::kOn : SyncStatus::kNameTaken;
  else if (PathExists(owner.c_str()))
    status = SyncStatus::kFolderUnusable;  // there, but not readable now
  else if (MakeDirectory(sync->ownFolder.c_str()) &&
           WriteFileSafely(owner.c_str(), (owner + ".TMP").c_str(), sync->config.id))
    status = SyncStatus::kOn, stamp = StampOf(owner);
  else
    status = SyncStatus::kFolderUnusable;
  sync->ownerStamp = status == SyncStatus::kOn ? stamp : FileStamp();
  // The other PCs open its sealed records under its name as DIR's listing shows it.
  if (status == SyncStatus::kOn) sync->ownListedName = ListedNameOf((sync->config.dir + sync->config.name).c_str());
  if (sync->ownListedName.empty()) sync->ownListedName = sync->config.name;
  return status;
}

// Before a write into DIR\NAME\: owner.id still holds this PC's ID. Its size and time tell
// cheaply; it is read again only when they changed (another PC that took the name after both
// claimed it before the engine carried either's owner.id across) or after a failure.
bool OwnFolderStillOurs(SyncFolder* sync) {
  if (sync->status == SyncStatus::kOn && StampOf(sync->ownFolder + "owner.id") == sync->ownerStamp) return true;
  sync->status = ClaimOwnFolder(sync);
  return sync->status == SyncStatus::kOn;
}

// What the folder's Pelmor.KEY lets this PC do: kOn to write (none there for a PC without a
// passphrase; for one with, the file its key matches, and from then on that same file),
// kKeyNeeded when it must not, kFolderUnusable while the file cannot be read.
SyncStatus CheckFolderKey(SyncFolder* sync) {
  FileStamp stamp = StampOf(sync->keyPath);
  if (sync->keyJoined) {
    if (KeyFileReplaced(sync->keyPath, sync->keyFile)) return SyncStatus::kKeyNeeded;
  } else {
    KeyFile file;
    KeyFileStatus found = ReadKeyFile(sync->keyPath, &file);
    if (found == KeyFileStatus::kUnreadable) return SyncStatus::kFolderUnusable;
    bool allowed = sync->config.sealed ? found == KeyFileStatus::kValid && KeyMatches(file, sync->config.key)
                                       : found == KeyFileStatus::kMissing;
    if (!allowed) return SyncStatus::kKeyNeeded;
    sync->keyJoined = sync->config.sealed;
    sync->keyFile = file;
  }
  sync->keyStamp = stamp;
  return SyncStatus::kOn;
}

// At each flush: Pelmor.KEY still lets this PC write. Its size and time tell cheaply (a file
// another PC made at the same moment, kept by the engine, has its own); it is read again only
// when they changed or after a failure. A folder that needs the passphrase stays so until the
// sync is started again with it.
bool FolderKeyAllows(SyncFolder* sync) {
  if (sync->status == SyncStatus::kKeyNeeded) return false;
  if (sync->status == SyncStatus::kOn && StampOf(sync->keyPath) == sync->keyStamp) return true;
  SyncStatus found = CheckFolderKey(sync);
  if (found != SyncStatus::kOn) sync->status = found;
  return found == SyncStatus::kOn;
}

// Appends the texts to this PC's day file of the day: sealed with a passphrase, else plain.
// A damaged one is kept whole before its repair cuts it.
int AppendToOwnDayFile(SyncFolder* sync, const CivilDate& today, const std::vector<std::string>& texts) {
  const std::string& own = sync->ownFolder;
  if (!sync->config.sealed) return AppendToDayFile(own + DayFileName(today), texts, &sync->keptCopies);
  return AppendToSealedDayFile(own + SealedDayFileName(today), SealedPlace(sync->ownListedName, today),
                               sync->config.key, texts, &sync->keptCopies);
}

// Appends the captures kept in memory to the opened Pelmor.OUT, behind what waits there.
bool AppendUnqueued(SyncFolder* sync, FileHandle out) {
  if (AppendRecordsTo(out, std::vector<std::string_view>(sync->unqueued.begin(), sync->unqueued.end())) != 0)
    return false;
  sync->waiting += static_cast<int>(sync->unqueued.size());
  sync->unqueued.clear();
  return true;
}

// Puts the captures kept in memory into Pelmor.OUT, behind what waits there.
bool MoveUnqueuedToOutbox(SyncFolder* sync) {
  if (sync->unqueued.empty()) return true;
  FileHandle out = OpenRecordFile(sync->outbox.c_str());
  bool queued = out != kNoFile && SettleRecordFile(out, sync->outbox, &sync->keptCopies) == 0 && AppendUnqueued(sync, out);
  CloseFileHandle(out);
  return queued;
}

// The progress of a PC's files goes when a new PC has taken its name.
void ForgetPeer(SyncFolder* sync, const std::string& name) {
  auto ofPeer = [&](const auto& entry) { return entry.first.starts_with(name + '\\'); };
  std::erase_if(sync->progress.imported, ofPeer);
  std::erase_if(sync->seen, ofPeer);
}

// Takes in another PC's owner.id as the folder's listing shows it (read again when its stamp
// changed). True for a folder this PC wrote under an earlier name: it holds its own texts. A new
// ID in place of the one the progress was kept for is a new PC under the old name.
bool TakeOwner(SyncFolder* sync, const std::string& name, const std::string& folder, const FileStamp& stamp) {
  PeerOwner& owner = sync->owners[name];
  if (owner.stamp != stamp) {
    bool read = stamp.size >= 0 && ReadOwner(folder, &owner.id);
    if (!read) owner.id.clear();
    owner.stamp = read || stamp.size < 0 ? stamp : FileStamp{-2, 0};  // there but unreadable: read again
  }
  if (owner.id == sync->config.id) return true;
  if (!IsKeepableId(owner.id)) return false;  // not there (yet), or not an ID: nothing is known
  auto kept = sync->progress.owners.find(name);
  if (kept != sync->progress.owners.end() && kept->second == owner.id) return false;
  if (kept != sync->progress.owners.end()) ForgetPeer(sync, name);
  sync->progress.owners[name] = owner.id;
  sync->progressUnsaved = true;
  return false;
}

// The day files in the other PCs' folders (the sealed ones too, with a passphrase), oldest day
// first, then by folder name, a day's plain file before its sealed one. False when DIR or one of
// the folders could not be listed (the files of the others are there). *keyStamp, when given,
// gets Pelmor.KEY's stamp as DIR's listing shows it (untouched when DIR could not be listed).
bool ListPeerFiles(SyncFolder* sync, std::vector<PeerFile>* files, FileStamp* keyStamp = nullptr) {
  std::vector<DirEntry> folders, entries;
  if (!ListDirectory(sync->config.dir.c_str(), &folders)) return false;
  bool complete = true;
  if (keyStamp) *keyStamp = FileStamp();
  for (const DirEntry& folder : folders) {
    if (keyStamp && !folder.isDirectory && folder.name == "Pelmor.KEY") *keyStamp = {folder.size, folder.modified};
    std::string path = sync->config.dir + folder.name + Separator(*sync);
    if (!folder.isDirectory || folder.name == sync->config.name) continue;
    if (!ListDirectory(path.c_str(), &entries)) {
      complete = false;
      continue;
    }
    FileStamp owner;
    for (const DirEntry& e : entries)
      if (!e.isDirectory && e.name == "owner.id") owner = {e.size, e.modified};
    if (TakeOwner(sync, folder.name, path, owner)) continue;
    for (const DirEntry& e : entries) {
      CivilDate day;
      bool sealed;
      if (!e.isDirectory && ParseAnyDayFileName(e.name, &day, &sealed) && (!sealed || sync->config.sealed))
        files->push_back({DayNumber(day), folder.name, folder.name + '\\' + e.name, path + e.name,
                          {e.size, e.modified}, sealed});
    }
  }
  std::sort(files->begin(), files->end(), [](const PeerFile& a, const PeerFile& b) {
    return std::tie(a.day, a.peer, a.sealed) < std::tie(b.day, b.peer, b.sealed);
  });
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
  if (std::erase_if(sync->progress.imported, [&](const auto& entry) { return there.count(entry.first) == 0; }) > 0)
    sync->progressUnsaved = true;
  if (sync->progressUnsaved) SaveProgress(sync);
}

void DeleteOldDayFiles(const SyncFolder& sync, const CivilDate& today) {
  std::vector<DirEntry> entries;
  ListDirectory(sync.ownFolder.c_str(), &entries);  // not listed: nothing is deleted this time
  for (const DirEntry& e : entries) {
    CivilDate day;
    bool sealed;
    if (!e.isDirectory && ParseAnyDayFileName(e.name, &day, &sealed) &&
        DayNumber(day) < DayNumber(today) - sync.config.keepDays)
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

// A folder that is there can be written, or one that is not can be made in its parent.
bool CanMakeOrWrite(const std::string& folder, char separator) {
  DirEntry entry;
  std::string bare = folder.substr(0, folder.size() - 1);
  if (StatPath(bare.c_str(), &entry)) return entry.isDirectory && CanWriteIn(folder.c_str());
  size_t parent = LastSeparator(bare, separator);
  if (parent == std::string::npos) return false;
  std::string parentFolder = bare.substr(0, parent + 1);
  return StatPath(parentFolder.c_str(), &entry) && entry.isDirectory && CanWriteIn(parentFolder.c_str());
}

}  // namespace

SyncStatus StartSync(SyncFolder* sync, const SyncConfig& config, const std::string& dataDir, const CivilDate& today) {
  std::vector<std::string> carried = std::move(sync->unqueued);  // new settings: still this PC's captures
  *sync = SyncFolder();
  sync->config = config;
  sync->config.name = CleanPcName(config.name);
  sync->config.keepDays = std::clamp(config.keepDays, 1, 3650);
  if (config.dir.empty() || sync->config.name.empty() || config.id.empty()) return sync->status;
  sync->ownFolder = config.dir + sync->config.name + Separator(*sync);
  sync->outbox = dataDir + "Pelmor.OUT";
  sync->progressPath = dataDir + "Pelmor.SYN";
  sync->progressScratch = dataDir + "Pelmor.SYN.TMP";
  sync->keyPath = config.dir + "Pelmor.KEY";
  // A folder this PC may not write into gets nothing from it, not even its owner.id.
  sync->status = CheckFolderKey(sync);
  if (sync->status == SyncStatus::kOn) sync->status = ClaimOwnFolder(sync);
  sync->unqueued = std::move(carried);
  if (sync->status == SyncStatus::kKeyNeeded) sync->waiting = CountRecords(sync->outbox);
  if (sync->status == SyncStatus::kNameTaken || sync->status == SyncStatus::kKeyNeeded) {
    MoveUnqueuedToOutbox(sync);  // kept for when the name is changed or the passphrase given
    return sync->status;
  }
  if (sync->status == SyncStatus::kOn) DeleteOldDayFiles(*sync, today);
  LoadSyncProgress(sync->progressPath, &sync->progress);  // unreadable: imported again rather than never
  DropGoneProgress(sync);
  sync->waiting = CountRecords(sync->outbox);
  MoveUnqueuedToOutbox(sync);
  return sync->status;
}

SyncStatus CheckSyncFolder(const SyncConfig& config) {
  std::string name = CleanPcName(config.name), held;
  if (config.dir.empty() || name.empty() || !IsFullPath(config.dir.c_str())) return SyncStatus::kFolderUnusable;
  std::string own = config.dir + name + config.dir.back();
  bool read = ReadOwner(own, &held);
  if (read && held != config.id) return SyncStatus::kNameTaken;
  if (!read && PathExists((own + "owner.id").c_str())) return SyncStatus::kFolderUnusable;
  DirEntry entry;
  bool ownThere = StatPath(own.substr(0, own.size() - 1).c_str(), &entry);
  bool usable = CanMakeOrWrite(ownThere ? own : config.dir, config.dir.back());
  return usable ? SyncStatus::kOn : SyncStatus::kFolderUnusable;
}

bool QueueCapture(SyncFolder* sync, std::string_view record) {
  if (!Active(*sync) || record.size() > INT32_MAX) return false;
  sync->unqueued.emplace_back(record);
  MoveUnqueuedToOutbox(sync);  // what Pelmor.OUT cannot take now goes with the next
  return true;
}

int FlushOutbox(SyncFolder* sync, const CivilDate& today) {
  if (!Active(*sync)) return WaitingCount(*sync);
  if (!FolderKeyAllows(sync)) {
    MoveUnqueuedToOutbox(sync);
    return WaitingCount(*sync);
  }
  bool nothingWaits = sync->unqueued.empty() && !PathExists(sync->outbox.c_str());
  if (nothingWaits && sync->status == SyncStatus::kOn) return sync->waiting = 0;
  // The folder is claimed again after it failed: it may have been removed, or taken by another PC.
  if (!OwnFolderStillOurs(sync)) {
    MoveUnqueuedToOutbox(sync);
    return WaitingCount(*sync);
  }
  if (nothingWaits) return sync->waiting = 0;
  FileHandle out = OpenRecordFile(sync->outbox.c_str());
  RowIndex queued;
  // Held for a moment (a scanner, a backup): tried again at the next flush.
  if (out == kNoFile || LoadAndSettle(out, sync->outbox, &queued, &sync->keptCopies) != 0) {
    CloseFileHandle(out);
    return WaitingCount(*sync);
  }
  sync->waiting = static_cast<int>(queued.records.size());
  int appended = 0;
  try {
    std::vector<std::string> texts;
    for (const RecordSpan& r : queued.records) texts.emplace_back(TextOf(queued, r));
    texts.insert(texts.end(), sync->unqueued.begin(), sync->unqueued.end());
    if (!texts.empty()) appended = AppendToOwnDayFile(sync, today, texts);
  } catch (const std::bad_alloc&) {
    appended = -104;
  }
  if (appended == -104) {  // no memory for them now: they wait for a flush that has it
    CloseFileHandle(out);
    return WaitingCount(*sync);
  }
  if (appended != 0) {
    sync->status = SyncStatus::kFolderUnusable;
    // Pelmor.OUT is open now: what only memory held waits there too, behind the others.
    if (!sync->unqueued.empty()) AppendUnqueued(sync, out);
    CloseFileHandle(out);
    return WaitingCount(*sync);
  }
  // Emptied before it goes: should it not go, its texts are still not written twice.
  TruncateAt(out, 0);
  CloseFileHandle(out);
  RemoveFile(sync->outbox.c_str());
  sync->unqueued.clear();
  return sync->waiting = 0;
}

int WaitingCount(const SyncFolder& sync) { return sync.waiting + static_cast<int>(sync.unqueued.size()); }

std::vector<ImportBatch> CollectImports(SyncFolder* sync, const CollectLimit& limit) {
  std::vector<ImportBatch> batches;
  if (!Active(*sync) || sync->status == SyncStatus::kKeyNeeded) return batches;
  std::vector<PeerFile> files;
  FileStamp keyStamp = sync->keyStamp;
  ListPeerFiles(sync, &files, &keyStamp);  // what could be listed is taken in
  if (sync->progressUnsaved) SaveProgress(sync);
  // Records opened under a key that is no longer the folder's would count as taken: the next
  // flush looks at the new Pelmor.KEY first.
  if (keyStamp != sync->keyStamp) return batches;
  ReadLimit left{limit.bytes, limit.records};
  for (const PeerFile& f : files) {
    if (left.bytes <= 0 || left.records <= 0) break;  // the rest at the next tick, in order
    auto seen = sync->seen.find(f.key);
    if ((seen != sync->seen.end() && seen->second == f.stamp) || (f.sealed && !sync->keyJoined)) continue;
    auto done = sync->progress.imported.find(f.key);
    ImportBatch batch{f.key, 0, {}, f.stamp};
    bool cut = false;
    ReadLimit fits = left;
    fits.takeOne = batches.empty();  // one record longer than the limit, when it comes first
    int32_t from = done == sync->progress.imported.end() ? 0 : done->second;
    bool read = f.sealed ? ReadPeerSealedDayFile(f.path, f.key, sync->config.key, from, &batch.newProgress,
                                                 &batch.texts, nullptr, fits, &cut)
                         : ReadPeerDayFile(f.path, from, &batch.newProgress, &batch.texts, fits, &cut);
    if (!read) continue;  // tried again at the next tick
    batch.whole = !cut;
    if (batch.texts.empty()) {
      // Nothing new, or the file was rolled back: its records are its progress from now on.
      ConfirmImport(sync, batch);
    } else {
      for (const std::string& t : batch.texts) left.bytes -= static_cast<int64_t>(t.size());
      left.records -= static_cast<int32_t>(batch.texts.size());
      batches.push_back(std::move(batch));
    }
    if (cut) break;  // the rest at the next tick, in order
  }
  return batches;
}

bool ConfirmImport(SyncFolder* sync, const ImportBatch& batch) {
  // A file the limit cut short is read again at the next collect, whatever its stamp.
  if (batch.whole)
    sync->seen[batch.key] = batch.stamp;
  else
    sync->seen.erase(batch.key);
  auto& imported = sync->progress.imported;
  auto done = imported.find(batch.key);
  if (done == imported.end() ? batch.newProgress != 0 : done->second != batch.newProgress) {
    imported[batch.key] = batch.newProgress;
    sync->progressUnsaved = true;
  }
  return !sync->progressUnsaved || SaveProgress(sync);
}
