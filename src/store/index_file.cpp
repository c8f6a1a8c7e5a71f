#include "index_file.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

int32_t CountIn(const ByteBuffer& bytes) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
  return static_cast<int32_t>(v);
}

void PutCount(int32_t count, char* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((static_cast<uint32_t>(count) >> (8 * i)) & 0xFF);
}

bool WriteCountAt0(FileHandle file, const ByteBuffer& bytes) { return SeekTo(file, 0) && WriteBytes(file, bytes.data(), 4); }

bool WriteSlice(FileHandle file, const ByteBuffer& bytes, int64_t from, int64_t to) {
  return to <= from || WriteBytes(file, bytes.data() + from, to - from);
}

}  // namespace

int LoadAndSettle(FileHandle file, const std::string& path, RowIndex* index, std::vector<KeptCopy>* kept) {
  int64_t size = FileSizeOf(file);
  if (size < 0 || !LoadRowIndex(file, index)) return -101;
  ByteBuffer& bytes = index->bytes;
  if (bytes.size() < 4) {
    // A file of 0 to 3 bytes becomes a valid empty record file of four zero bytes.
    bytes.assign(4, '\0');
    return WriteCountAt0(file, bytes) && TruncateAt(file, 4) ? 0 : -102;
  }
  // A record cut off at the end (a torn append) goes; the count then names what is there, so
  // that no complete record stays hidden.
  if (static_cast<int64_t>(bytes.size()) < size &&
      (!KeepBeforeCutting(file, path, CountIn(bytes), index->records.size(), kept) ||
       !TruncateAt(file, static_cast<int64_t>(bytes.size()))))
    return -102;
  int32_t live = static_cast<int32_t>(index->records.size());
  if (CountIn(bytes) != live) {
    PutCount(live, bytes.data());
    if (!WriteCountAt0(file, bytes)) return -102;
  }
  return 0;
}

std::vector<int64_t> RecordPositionsOf(const RowIndex& index, std::vector<int64_t> positions) {
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  auto isRecord = [&](int64_t p) {
    auto it = std::lower_bound(index.records.begin(), index.records.end(), p,
                               [](const RecordSpan& s, int64_t q) { return s.position < q; });
    return it != index.records.end() && it->position == p;
  };
  positions.erase(std::remove_if(positions.begin(), positions.end(), [&](int64_t p) { return !isRecord(p); }),
                  positions.end());
  return positions;
}

int WriteIndexWithout(const RowIndex& index, const std::vector<int64_t>& drop, const char* scratchPath) {
  // A scratch file left by an interrupted run is discarded, never appended to.
  FileHandle scratch = CreateScratchFile(scratchPath);
  if (scratch == kNoFile) return -102;
  const ByteBuffer& bytes = index.bytes;
  char count[4];
  PutCount(static_cast<int32_t>(index.records.size() - drop.size()), count);
  bool ok = WriteBytes(scratch, count, 4);
  // The records kept between two dropped ones lie together: each run is one write.
  int64_t from = kFirstRecordPosition;
  for (int64_t position : drop) {
    ok = ok && WriteSlice(scratch, bytes, from, position);
    const RecordSpan* span = &*std::lower_bound(index.records.begin(), index.records.end(), position,
                                                [](const RecordSpan& s, int64_t q) { return s.position < q; });
    from = position + 4 + span->length;
  }
  ok = ok && WriteSlice(scratch, bytes, from, static_cast<int64_t>(bytes.size())) && FlushToDisk(scratch);
  CloseFileHandle(scratch);
  if (!ok) RemoveFile(scratchPath);
  return ok ? 0 : -102;
}

void DropFromIndex(RowIndex* index, const std::vector<int64_t>& drop, std::vector<RecordSpan>* dropped) {
  FinishSigning(index);  // the bytes move
  // Everything that needs memory is taken first: once records move, nothing may fail.
  std::vector<int32_t> newOrdinal(index->records.size(), -1);
  dropped->clear();
  dropped->reserve(drop.size());
  ByteBuffer& bytes = index->bytes;
  std::vector<RecordSpan>& records = index->records;
  size_t next = 0, kept = 0;
  int64_t write = kFirstRecordPosition;
  for (size_t i = 0; i < records.size(); ++i) {
    const RecordSpan r = records[i];
    if (next < drop.size() && drop[next] == r.position) {
      dropped->push_back(r);
      ++next;
      continue;
    }
    int64_t size = 4 + static_cast<int64_t>(r.length);
    if (write != r.position) memmove(bytes.data() + write, bytes.data() + r.position, static_cast<size_t>(size));
    records[kept] = r;
    records[kept].position = write;
    newOrdinal[i] = static_cast<int32_t>(kept++);
    write += size;
  }
  records.resize(kept);
  if (bytes.size() >= 4) {
    bytes.resize(static_cast<size_t>(write));
    PutCount(static_cast<int32_t>(kept), bytes.data());
  }
  size_t signedKept = 0;
  for (size_t i = 0; i < index->signatures.size(); ++i)
    if (newOrdinal[i] >= 0) index->signatures[signedKept++] = index->signatures[i];
  index->signatures.resize(signedKept);
  size_t matched = 0;
  for (int32_t ordinal : index->matches)
    if (newOrdinal[static_cast<size_t>(ordinal)] >= 0) index->matches[matched++] = newOrdinal[static_cast<size_t>(ordinal)];
  index->matches.resize(matched);
}
