// A record file and the row index that mirrors it byte for byte: the file is read once into
// the index, and a rewrite is written from the index, so neither needs the file read again.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"
#include "record_index.h"

// Reads the opened file (at path) into the index and settles it as an opening must: a missing
// header becomes a zero count, a torn record at the end is cut off (damage only once the whole
// file is kept beside it, noted in *kept), the count names the complete records. 0, -101
// (cannot read: the index is empty) or -102 (cannot write).
int LoadAndSettle(FileHandle file, const std::string& path, RowIndex* index, std::vector<KeptCopy>* kept);

// The positions that name records of the index, sorted, each once.
std::vector<int64_t> RecordPositionsOf(const RowIndex& index, std::vector<int64_t> positions);

// Writes the index's records without those at drop (sorted record positions) as a new record
// file under scratchPath, flushed to disk. 0, or -102 (the scratch file is then removed).
int WriteIndexWithout(const RowIndex& index, const std::vector<int64_t>& drop, const char* scratchPath);

// Takes the records at drop out of the index, as the file written without them holds them:
// later records move forward, the count is the records left, a filter's rows follow. The
// records that went, in file order, in *dropped.
void DropFromIndex(RowIndex* index, const std::vector<int64_t>& drop, std::vector<RecordSpan>* dropped);
