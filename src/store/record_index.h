// The index a history or favorites list draws its rows from: the record file's bytes, read
// in large blocks, its records in file order, and the rows in list order (newest first or
// oldest first), narrowed by a filter text when one is set. It is built anew from the file
// at every reload; a capture adds one record.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "byte_buffer.h"
#include "file_io.h"
#include "record_file.h"

// What the rows must hold: the filter text in UTF-8, for records with an exact text, and
// in code page 932 for the others (unless that code page cannot hold it).
struct RowFilter {
  std::string utf8;  // empty: no filter
  std::string codePage;
  bool inCodePage = true;
};

// The kinds of byte in each record's text, made on another thread (record_index.cpp).
struct SignatureJob;

struct RowIndex {
  ByteBuffer bytes;                 // the file as read
  std::vector<RecordSpan> records;  // its complete records, in file order
  bool newestFirst = true;          // ADDFLG: the file's last record is row 0
  RowFilter filter;
  std::vector<int32_t> matches;     // with a filter, the records that hold it, in file order
  // For the first records, the kinds of byte each holds (ByteKindsOf): a record that lacks a kind
  // the filter text has is passed over unread.
  std::vector<uint64_t> signatures;
  std::shared_ptr<SignatureJob> signing;  // making them; last, so that it ends first
};

// Reads the whole file and indexes its complete records, keeping the filter. False when
// the file cannot be read (the index is then empty).
bool LoadRowIndex(FileHandle file, RowIndex* index);
int RowCount(const RowIndex& index);
// The record a row shows, or null for a row outside the list.
const RecordSpan* RecordOfRow(const RowIndex& index, int row);
std::string_view TextOf(const RowIndex& index, const RecordSpan& record);
// Where the record's exact text starts in it (0: none; see record_text.h), at once for a long one.
size_t ExactStartOf(const RowIndex& index, const RecordSpan& record);
// The row that shows the record at this position, or -1.
int RowOfPosition(const RowIndex& index, int64_t position);
// Takes in a record just appended to the file; the row it shows in, or -1 when the filter
// hides it.
int AddRecordToIndex(RowIndex* index, int64_t position, const char* text, int32_t length);
// Narrows the rows to the records that hold the text; an empty text shows every record. The
// search is split over this many cores (0: as the list's length makes worth it).
void SetRowFilter(RowIndex* index, const RowFilter& filter, int cores = 0);
// Makes the signatures of the records that have none yet, here or (beside) on another thread: the
// filter takes them in once they are made, and a change that moves the bytes stops it first.
void SignRecords(RowIndex* index, bool beside);
// Stops the signatures being made and takes in what is made: for a change to the bytes.
void FinishSigning(RowIndex* index);

// Positions of the records whose text is exactly these bytes, except the one at keepPosition.
std::vector<int64_t> FindEqualRecords(const RowIndex& index, std::string_view text, int64_t keepPosition);
