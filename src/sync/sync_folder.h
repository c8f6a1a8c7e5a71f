// The sync folder, as this PC takes part in it: what it writes there and what it imports from
// the other PCs. Each PC writes only its own folder DIR\NAME\ (one day file a day and owner.id)
// and only reads the others'. A capture is appended to Pelmor.OUT in the data folder first (fast
// and local) and moved to today's day file by a flush, so nothing waits for a network folder and
// nothing is lost while the folder is away. Imports are handed to the caller, which records them
// and then confirms them, so texts that could not be recorded are collected again.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "../store/record_file.h"
#include "key_file.h"
#include "sync_names.h"
#include "sync_progress.h"

struct SyncConfig {
  std::string dir;   // ends in the path separator, which the paths built here use too; empty: off
  std::string name;  // this PC's folder name (cleaned here again)
  std::string id;    // the random ID that owner.id holds
  int keepDays = 30;
  // Set once the user gave the folder's passphrase: this PC's texts leave it sealed under the
  // key, and only into a folder whose Pelmor.KEY the key matches. A key that can no longer be
  // opened is given as zeros, which match no file: the passphrase is asked for again.
  bool sealed = false;
  SealKey key{};
};

enum class SyncStatus {
  kOff,             // no folder set (or no name or ID): nothing is written or read
  kOn,
  kNameTaken,       // DIR\NAME\owner.id holds another PC's ID: off until the name changes
  kFolderUnusable,  // DIR\NAME cannot be made or written now: captures wait, each flush tries again
  kKeyNeeded,       // DIR\Pelmor.KEY does not let this PC write: it is there and this PC has no
                    // passphrase, or it is not the file this PC's key matches (or joined): nothing
                    // is written or read, captures wait in Pelmor.OUT until the passphrase is given
};

// What the folder listing said of a file; a file whose stamp has not changed is not opened.
struct FileStamp {
  int64_t size = -1;
  int64_t modified = 0;
  bool operator==(const FileStamp&) const = default;
};

// What the listing showed of a PC's owner.id, and the ID it held then.
struct PeerOwner {
  FileStamp stamp;
  std::string id;  // empty: not readable
};

struct SyncFolder {
  SyncConfig config;
  SyncStatus status = SyncStatus::kOff;
  std::string ownFolder;                    // DIR + NAME + separator
  std::string ownListedName;                // NAME as DIR's listing shows it: the place of sealed records
  std::string outbox;                       // Pelmor.OUT: this PC's captures not yet in the folder
  std::string progressPath, progressScratch;  // Pelmor.SYN and its scratch name
  SyncProgress progress;
  bool progressUnsaved = false;             // a save failed: tried again at the next collect
  std::map<std::string, FileStamp> seen;    // key -> stamp when its records were last taken in
  std::map<std::string, PeerOwner> owners;  // other folder -> its owner.id as last read
  FileStamp ownerStamp;                     // this PC's owner.id when it was last known to hold its ID
  std::string keyPath;                      // DIR\Pelmor.KEY
  FileStamp keyStamp;                       // it when it last let this PC write (size -1: not there)
  bool keyJoined = false;                   // sealed: the key matched keyFile, the folder's file
  KeyFile keyFile;
  int waiting = 0;                          // records in Pelmor.OUT
  std::vector<std::string> unqueued;        // captures Pelmor.OUT could not take yet, in order
  std::vector<KeptCopy> keptCopies;         // Pelmor.OUT or a day file kept whole before a repair
};

// Start-up (dataDir ends in the separator; today is the local date): looks at DIR\Pelmor.KEY,
// makes DIR\NAME and checks or writes owner.id, deletes this PC's day files older than keepDays
// days, loads Pelmor.SYN (dropping entries whose files are gone) and counts the records waiting
// in Pelmor.OUT. Started again (new settings), it keeps the captures only memory held and queues
// them first.
SyncStatus StartSync(SyncFolder* sync, const SyncConfig& config, const std::string& dataDir, const CivilDate& today);

// What the options page's OK would find in the folder, changing nothing: kOn when this PC can
// take part (its folder or DIR made at OK where only the parent is there yet), kNameTaken when
// DIR\NAME\owner.id holds another PC's ID, kFolderUnusable when the folder is not a full path,
// cannot be made or cannot be written.
SyncStatus CheckSyncFolder(const SyncConfig& config);

// Appends a captured record (the history's record bytes) to Pelmor.OUT. One that Pelmor.OUT
// cannot take now (a scanner or a backup holds it for a moment) is kept in memory and queued
// again, in order, before the next. False when sync is off.
bool QueueCapture(SyncFolder* sync, std::string_view record);
// Moves the waiting records, in order, to today's day file (YYYYMMDD.PLX, sealed, when the folder
// has a passphrase), once this PC's owner.id is known to still hold its ID; returns how many
// still wait. What the folder cannot take goes to Pelmor.OUT. Each flush, also one with nothing
// to write, looks at Pelmor.KEY's stamp: a passphrase given to the folder meanwhile, or another
// file kept by the engine, stops this PC (kKeyNeeded) before it writes again.
int FlushOutbox(SyncFolder* sync, const CivilDate& today);
// Records in Pelmor.OUT and those still kept in memory.
int WaitingCount(const SyncFolder& sync);

struct ImportBatch {
  std::string key;      // "NAME\\YYYYMMDD.PLM", or .PLX for a sealed one
  int32_t newProgress = 0;  // the file's trustworthy records, or the record after these texts
  std::vector<std::string> texts;
  FileStamp stamp;
  bool whole = true;    // false: the collect's limit left records of the file for the next
};
// What one collect takes in at most (besides one record longer than that): a long backlog
// comes in over several ticks, in its order.
struct CollectLimit {
  int64_t bytes = 16 << 20;
  int32_t records = 20000;
};
// The new texts of the other PCs' day files that changed since they were last taken in: oldest
// day first, then by PC name, each file's in its own order, as far as the limit goes. Opens no
// file when none changed. With a passphrase, their sealed files too (and the plain ones written
// before it): a record that does not open is left out and counts as taken. Nothing while the
// passphrase is needed, or while Pelmor.KEY changed since the last flush looked at it. A PC
// whose owner.id names another PC than before is a new PC under an old name: its files are
// imported from their first records.
std::vector<ImportBatch> CollectImports(SyncFolder* sync, const CollectLimit& limit = {});
// The batch's texts are recorded: its progress is kept and saved. Confirm batches in their
// order and stop at the first that could not be recorded. False when Pelmor.SYN was not saved.
bool ConfirmImport(SyncFolder* sync, const ImportBatch& batch);
