// Day files: the record files in which each PC writes its texts to the sync folder, one a day.
// This PC's own are appended and counted like the work file; another PC's are only read, and
// only as far as they are whole, since its engine may deliver them half written or damaged.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "../store/record_file.h"

// How much one read of another PC's day file may take in.
struct ReadLimit {
  int64_t bytes = INT64_MAX;
  int32_t records = INT32_MAX;
  bool takeOne = true;  // the first new record is taken however long, so a long text still arrives
};

// The trustworthy records of another PC's day file from record `from` on, in file order, as far
// as the limit allows; *available gets the record after the last one read when the limit cut the
// read short (*cut then true), else how many trustworthy records the file has: up to the first
// damage (a length that is negative or runs past the end), and no more than its count says. The
// file is read no further than that, through a window of its own size whatever the file's; it is
// opened shared and never written. False when it cannot be opened or read (it is tried again).
bool ReadPeerDayFile(const std::string& path, int32_t from, int32_t* available, std::vector<std::string>* texts,
                     const ReadLimit& limit = {}, bool* cut = nullptr);

// Appends the records to this PC's day file (made when missing, settled, counted; kept whole
// first when its repair cuts damage). 0, -101 (cannot open), or the settling's or the append's
// negative result.
int AppendToDayFile(const std::string& path, const std::vector<std::string>& records,
                    std::vector<KeptCopy>* kept);
