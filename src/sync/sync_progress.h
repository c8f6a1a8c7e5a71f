// Pelmor.SYN: what was imported from which of the other PCs' day files, so that a restart
// imports nothing twice. An INI text ([IMPORTED], CR LF) of lines NAME\YYYYMMDD.PLM=records.
#pragma once
#include <cstdint>
#include <map>
#include <string>

using SyncProgress = std::map<std::string, int32_t>;  // "NAME\\YYYYMMDD.PLM" -> records imported

// A missing file is no progress yet (true); false when it is there but cannot be read.
// Lines that are not a key and a count of 0 or more are passed over.
bool LoadSyncProgress(const std::string& path, SyncProgress* progress);
// Writes the whole file under the scratch name and renames it into place.
bool SaveSyncProgress(const std::string& path, const std::string& scratch, const SyncProgress& progress);
