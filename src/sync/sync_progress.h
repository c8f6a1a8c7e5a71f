// Pelmor.SYN: what was imported from which of the other PCs' day files, so that a restart
// imports nothing twice. An INI text (CR LF): under [IMPORTED] lines NAME\YYYYMMDD.PLM=records,
// then, under [OWNERS], NAME=ID, the ID the PC's owner.id held when they were imported: a new PC
// that takes over a name gets its records imported from its first, whatever the last one's.
#pragma once
#include <cstdint>
#include <map>
#include <string>

struct SyncProgress {
  std::map<std::string, int32_t> imported;   // "NAME\\YYYYMMDD.PLM" -> records imported
  std::map<std::string, std::string> owners;  // NAME -> the ID of the PC they were imported from
  bool operator==(const SyncProgress&) const = default;
};

// A missing file is no progress yet (true); false when it is there but cannot be read.
// Lines that are not a key and a count of 0 or more (or an owner's ID) are passed over; a file
// without [OWNERS] (written before owners were kept) knows no owner yet.
bool LoadSyncProgress(const std::string& path, SyncProgress* progress);
// Writes the whole file under the scratch name and renames it into place.
bool SaveSyncProgress(const std::string& path, const std::string& scratch, const SyncProgress& progress);
// An ID that Pelmor.SYN can keep on a line of its own: printable, without '='.
bool IsKeepableId(const std::string& id);
