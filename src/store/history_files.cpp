#include "history_files.h"

#include <new>
#include <vector>

#include "record_file.h"

HistoryPaths MakeHistoryPaths(const std::string& dataDir) {
  HistoryPaths p;
  p.work = dataDir + "Pelmor.WK";
  p.saved = dataDir + "Pelmor.DAT";
  p.backup = dataDir + "Pelmor.DAT.BAK";
  p.favorites = dataDir + "Pelmor.SAV";
  p.scratch = dataDir + "Temp.DAT";
  p.savedScratch = dataDir + "Pelmor.DAT.TMP";
  p.backupScratch = dataDir + "Pelmor.BAK.TMP";
  return p;
}

// Compares two files block by block; a missing file equals nothing. Without the memory to
// compare, they count as different (and the work file is kept by a rotation).
static bool SameContents(const std::string& a, const std::string& b) {
  FileHandle fa = OpenFileForReading(a.c_str());
  FileHandle fb = OpenFileForReading(b.c_str());
  bool same = fa != kNoFile && fb != kNoFile && FileSizeOf(fa) == FileSizeOf(fb);
  std::vector<char> ba, bb;
  try {
    ba.resize(1 << 20);
    bb.resize(1 << 20);
  } catch (const std::bad_alloc&) {
    same = false;
  }
  while (same) {
    int64_t ga = ReadBytes(fa, ba.data(), static_cast<int64_t>(ba.size()));
    int64_t gb = ReadBytes(fb, bb.data(), static_cast<int64_t>(bb.size()));
    if (ga != gb || ga < 0) same = false;
    else if (ga == 0) break;
    else same = std::equal(ba.begin(), ba.begin() + ga, bb.begin());
  }
  CloseFileHandle(fa);
  CloseFileHandle(fb);
  return same;
}

// True when the file holds at least one complete record.
static bool HoldsRecords(const std::string& path) {
  FileHandle file = OpenFileForReading(path.c_str());
  if (file == kNoFile) return false;
  RecordIndex index;
  bool holds = IndexRecordFile(file, &index) && !index.records.empty();
  CloseFileHandle(file);
  return holds;
}

// True when the saved history holds the work file: after an orderly exit it is the work file's
// copy, of its size and written after it. Only a start that keeps the work file trusts that;
// one that deletes it compares every byte (a wrong answer would lose a crashed run's texts).
static bool WorkFileSaved(const HistoryPaths& paths, int bootInit) {
  DirEntry work, saved;
  if (!StatPath(paths.saved.c_str(), &saved) || !StatPath(paths.work.c_str(), &work)) return false;
  if (bootInit == 0 && work.size == saved.size && saved.modified >= work.modified) return true;
  return SameContents(paths.work, paths.saved);
}

bool PrepareWorkFile(const HistoryPaths& paths, int bootInit) {
  bool savedThere = PathExists(paths.saved.c_str());
  bool saved = savedThere && WorkFileSaved(paths, bootInit);
  bool holdsRecords = !saved && HoldsRecords(paths.work);
  // Without a saved history the work file is used as it is, unless it is to be deleted.
  if (holdsRecords && (savedThere || bootInit != 0)) {
    if (!RotateHistoryFiles(paths)) return true;  // kept where they are rather than lost
    saved = true;
  }
  if (bootInit != 0)
    RemoveFile(paths.work.c_str());
  else if (!saved && !holdsRecords && savedThere)
    return CopyFileSafely(paths.saved.c_str(), paths.work.c_str(), paths.scratch.c_str());
  return true;
}

bool RotateHistoryFiles(const HistoryPaths& paths, bool backUp) {
  // A failed backup leaves the older one in place; the saved history is written regardless.
  if (backUp) CopyFileSafely(paths.saved.c_str(), paths.backup.c_str(), paths.backupScratch.c_str());
  return CopyFileSafely(paths.work.c_str(), paths.saved.c_str(), paths.savedScratch.c_str());
}
