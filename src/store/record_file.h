// The record file: a 32-bit little-endian count, then records of a 32-bit length and
// that many text bytes. Every function here trusts nothing it reads from the file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_io.h"

constexpr int64_t kFirstRecordPosition = 4;

struct RecordSpan {
  int64_t position;  // offset of the record's length field
  int32_t length;
  // In a row index, a record longer than a row reads has its exact text's start (0: none) found
  // once, so that drawing its row costs what a short one's does; -1 where it is not known.
  int32_t exactStart = -1;
};

// What a walk over a record file found.
struct RecordIndex {
  std::vector<RecordSpan> records;  // every complete record, in file order
  int32_t storedCount = 0;          // the count field as stored (0 without a header)
  bool hasHeader = false;           // the file holds at least the 4 count bytes
  int64_t endOfRecords = kFirstRecordPosition;  // offset after the last complete record
  int64_t fileSize = 0;
};

// Walks the complete records from offset 4, reading the file in large blocks.
bool IndexRecordFile(FileHandle file, RecordIndex* index);

// A damaged record file that a repair cut: the whole original was kept beside it first.
struct KeptCopy {
  std::string file;  // the file repaired
  std::string copy;  // its original, named FILE.YYYYMMDD-HHMMSS.BAD (local time)
};

// Before a repair cuts the file at path after its complete records. A torn final append is cut
// as it is: an append writes its records before it raises the count, so a count that names no
// more than the complete records vouches for none of the bytes cut. Anything else is damage, and
// the whole file is first copied beside it under a name no other repair takes (-2, -3... after
// the time when it is taken) and noted in *kept (when given). False when the copy could not be made: then
// nothing may be cut.
bool KeepBeforeCutting(FileHandle file, const std::string& path, int32_t storedCount, size_t complete,
                       std::vector<KeptCopy>* kept);

// Makes an opened file consistent: a missing header becomes a zero count, a partial
// record at the end (a torn append) is cut off (damage only once the file is kept, as
// above), and the count is set to the number of complete records, so that no complete
// record stays hidden. 0, or -101 / -102.
int SettleRecordFile(FileHandle file, const std::string& path, std::vector<KeptCopy>* kept);

// Appends one record to a settled file and raises the count; returns the new record's
// position, or -1 (-2 without the memory for it: nothing was written).
int64_t AppendRecordTo(FileHandle file, const char* text, int32_t length);

// Appends the texts as records at the end of a settled file, then writes the raised count.
// 0, -101 (read), -102 (write) or -104 (no memory: nothing was written); *firstPosition gets
// the first new record's position.
int AppendRecordsTo(FileHandle file, const std::vector<std::string_view>& texts,
                    int64_t* firstPosition = nullptr);

// Where records lie after a rewrite dropped the given records (in file order): each one before
// a record moved it forward by its size. -1 for a record that was dropped itself.
std::vector<int64_t> PositionsAfterDrops(const std::vector<int64_t>& positions,
                                         const std::vector<RecordSpan>& dropped);
