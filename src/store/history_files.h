// The history's files in the data directory and their life across runs.
#pragma once
#include <string>
#include <vector>

#include "file_io.h"
#include "record_file.h"

struct HistoryPaths {
  std::string work;           // Pelmor.WK: the running program's history
  std::string saved;          // Pelmor.DAT: the history at the last orderly exit
  std::string backup;         // Pelmor.DAT.BAK: the one before that
  std::string favorites;      // Pelmor.SAV
  std::string scratch;        // Temp.DAT: compaction's scratch file
  std::string savedScratch;   // new Pelmor.DAT while it is being written
  std::string backupScratch;  // new Pelmor.DAT.BAK while it is being written
};

// dataDir ends in the path separator.
HistoryPaths MakeHistoryPaths(const std::string& dataDir);

// Start-up: decides what the work file must be. After an orderly exit it is the saved history
// already; a work file holding records of a run that ended without rotating them (killed or
// crashed) is rotated first, so they are not lost; then (bootInit 0) an empty work file is
// replaced by the saved history, or (bootInit non-zero) the work file is deleted. Records that
// cannot be saved by the rotation stay in the work file. False when the saved history could not
// be copied (its scratch file held by another program, say): there is no work file to use.
bool PrepareWorkFile(const HistoryPaths& paths, int bootInit);

// Exit: Pelmor.DAT -> Pelmor.DAT.BAK (unless backUp is false), then Pelmor.WK -> Pelmor.DAT;
// each copy is written under a scratch name and renamed into place, so an interruption
// never leaves half a file. True when Pelmor.DAT now holds the work file.
bool RotateHistoryFiles(const HistoryPaths& paths, bool backUp = true);
