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

// Makes an opened file consistent: a missing header becomes a zero count, a partial
// record at the end (a torn append) is cut off, and the count is set to the number of
// complete records, so that no complete record stays hidden. 0, or -101 / -102.
int SettleRecordFile(FileHandle file);

// Appends one record to a settled file and raises the count; returns the new record's
// position, or -1 (-2 without the memory for it: nothing was written).
int64_t AppendRecordTo(FileHandle file, const char* text, int32_t length);

// Appends the texts as records at the end of a settled file, then writes the raised count.
// 0, -101 (read), -102 (write) or -104 (no memory: nothing was written); *firstPosition gets
// the first new record's position.
int AppendRecordsTo(FileHandle file, const std::vector<std::string_view>& texts, int64_t* firstPosition = nullptr);

// Where records lie after a rewrite dropped the given records (in file order): each one before
// a record moved it forward by its size. -1 for a record that was dropped itself.
std::vector<int64_t> PositionsAfterDrops(const std::vector<int64_t>& positions, const std::vector<RecordSpan>& dropped);
