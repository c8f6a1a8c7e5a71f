#include "record_file.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <new>

namespace {

constexpr int64_t kBlockSize = 1 << 20;

// Sequential reader over a file with a 1 MiB window, so walking 100,000 records costs a
// few dozen system calls instead of two per record.
struct BlockReader {
  FileHandle file;
  std::vector<char> block;
  int64_t blockStart = 0;
  int64_t blockLength = 0;
  int64_t cursor = 0;
  bool failed = false;
};

// False when there is no memory for the window.
bool StartReader(BlockReader* r, FileHandle file, int64_t offset) {
  r->file = file;
  // Small files (the favorites, most histories) need no 1 MiB window.
  int64_t size = FileSizeOf(file);
  try {
    r->block.resize(static_cast<size_t>(std::clamp<int64_t>(size, 4096, kBlockSize)));
  } catch (const std::bad_alloc&) {
    return false;
  }
  r->blockStart = 0;
  r->blockLength = 0;
  r->cursor = offset;
  r->failed = false;
  return true;
}

bool Refill(BlockReader* r) {
  if (!SeekTo(r->file, r->cursor)) return !(r->failed = true);
  int64_t got = ReadBytes(r->file, r->block.data(), static_cast<int64_t>(r->block.size()));
  if (got < 0) return !(r->failed = true);
  r->blockStart = r->cursor;
  r->blockLength = got;
  return got > 0;
}

// Copies count bytes at the cursor; false when the file ends first or a read fails.
bool ReadAt(BlockReader* r, void* out, int64_t count) {
  char* dst = static_cast<char*>(out);
  while (count > 0) {
    int64_t offset = r->cursor - r->blockStart;
    if (offset < 0 || offset >= r->blockLength) {
      if (!Refill(r)) return false;
      offset = 0;
    }
    int64_t take = std::min(count, r->blockLength - offset);
    std::memcpy(dst, r->block.data() + offset, static_cast<size_t>(take));
    dst += take;
    count -= take;
    r->cursor += take;
  }
  return true;
}

int32_t DecodeInt32(const unsigned char* b) {
  return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                              static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

void EncodeInt32(int32_t value, char* out) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool ReadInt32(BlockReader* r, int32_t* value) {
  unsigned char b[4];
  if (!ReadAt(r, b, 4)) return false;
  *value = DecodeInt32(b);
  return true;
}

bool WriteCount(FileHandle file, int32_t count) {
  char bytes[4];
  EncodeInt32(count, bytes);
  return SeekTo(file, 0) && WriteBytes(file, bytes, 4);
}

void AppendRecordBytes(std::string* out, const char* text, int32_t length) {
  char header[4];
  EncodeInt32(length, header);
  out->append(header, 4);
  out->append(text, static_cast<size_t>(length));
}

// PATH.YYYYMMDD-HHMMSS.BAD in local time, or with -2, -3... before .BAD while that is taken;
// empty when every such name is.
std::string FreeCopyName(const std::string& path) {
  std::time_t now = std::time(nullptr);
  std::tm local = {};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char stamp[32];
  strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string name = path + "." + stamp + ".BAD";
  for (int n = 2; PathExists(name.c_str()); ++n) {
    if (n > 999) return "";
    name = path + "." + stamp + "-" + std::to_string(n) + ".BAD";
  }
  return name;
}

}  // namespace

bool KeepBeforeCutting(FileHandle file, const std::string& path, int32_t storedCount, size_t complete,
                       std::vector<KeptCopy>* kept) {
  if (storedCount >= 0 && static_cast<size_t>(storedCount) <= complete) return true;
  std::string copy = FreeCopyName(path);
  if (copy.empty() || !CopyOpenFileSafely(file, copy.c_str(), (copy + ".TMP").c_str())) return false;
  if (kept) kept->push_back({path, copy});
  return true;
}

bool IndexRecordFile(FileHandle file, RecordIndex* index) {
  *index = RecordIndex();
  index->fileSize = FileSizeOf(file);
  if (index->fileSize < 0) return false;
  BlockReader r;
  if (!StartReader(&r, file, 0)) return false;
  if (index->fileSize < kFirstRecordPosition) return true;
  if (!ReadInt32(&r, &index->storedCount)) return !r.failed;
  index->hasHeader = true;
  int64_t position = kFirstRecordPosition;
  int32_t length;
  bool complete = true;
  try {
    while (position + 4 <= index->fileSize && ReadInt32(&r, &length)) {
      // A negative length or one that runs past the end is damage: stop before it.
      if (length < 0 || length > index->fileSize - position - 4) break;
      index->records.push_back({position, length});
      position += 4 + static_cast<int64_t>(length);
      r.cursor = position;
    }
  } catch (const std::bad_alloc&) {
    complete = false;  // the records found so far stay usable; nothing is to be cut
  }
  index->endOfRecords = position;
  return complete && !r.failed;
}

int SettleRecordFile(FileHandle file, const std::string& path, std::vector<KeptCopy>* kept) {
  RecordIndex index;
  if (!IndexRecordFile(file, &index)) return -101;
  if (!index.hasHeader) {
    // A file of 0 to 3 bytes becomes a valid empty record file of four zero bytes.
    if (!WriteCount(file, 0) || !TruncateAt(file, 4)) return -102;
    return SeekTo(file, 0) ? 0 : -101;
  }
  if (index.endOfRecords < index.fileSize &&
      (!KeepBeforeCutting(file, path, index.storedCount, index.records.size(), kept) ||
       !TruncateAt(file, index.endOfRecords)))
    return -102;
  int32_t live = static_cast<int32_t>(index.records.size());
  if (index.storedCount != live && !WriteCount(file, live)) return -102;
  return SeekTo(file, 0) ? 0 : -101;
}

// Reads the count of a settled file, turning a file without its 4 count bytes into an
// empty record file first.
static bool ReadCountRepairing(FileHandle file, int32_t* count) {
  unsigned char b[4];
  if (!SeekTo(file, 0)) return false;
  int64_t got = ReadBytes(file, b, 4);
  if (got < 0) return false;
  if (got < 4) {
    *count = 0;
    return WriteCount(file, 0) && TruncateAt(file, 4);
  }
  *count = DecodeInt32(b);
  return true;
}

// Appends already encoded records at the end of a settled file, then raises the count.
static int AppendEncoded(FileHandle file, const std::string& bytes, int32_t added, int64_t* firstPosition) {
  // The file was settled when it was opened and is held exclusively, so its end is the
  // end of its last record: appending costs the same whatever the history's size.
  int32_t count;
  if (!ReadCountRepairing(file, &count)) return -101;
  int64_t position = FileSizeOf(file);
  if (position < kFirstRecordPosition) return -101;
  // The records are complete on disk before the count names them: a crash in between
  // leaves a count that is short, which the next opening settles.
  if (SeekTo(file, position) && WriteBytes(file, bytes.data(), static_cast<int64_t>(bytes.size())) &&
      WriteCount(file, count + added)) {
    if (firstPosition) *firstPosition = position;
    return 0;
  }
  // A write failed part-way: cut what it left, so the next append is not read as part of
  // a torn record.
  TruncateAt(file, position);
  WriteCount(file, count);
  return -102;
}

int64_t AppendRecordTo(FileHandle file, const char* text, int32_t length) {
  if (length < 0) return -1;
  try {
    std::string bytes;
    AppendRecordBytes(&bytes, text, length);
    int64_t position = -1;
    return AppendEncoded(file, bytes, 1, &position) == 0 ? position : -1;
  } catch (const std::bad_alloc&) {
    return -2;  // nothing was written
  }
}

int AppendRecordsTo(FileHandle file, const std::vector<std::string_view>& texts, int64_t* firstPosition) {
  try {
    std::string bytes;
    for (std::string_view t : texts) AppendRecordBytes(&bytes, t.data(), static_cast<int32_t>(t.size()));
    return AppendEncoded(file, bytes, static_cast<int32_t>(texts.size()), firstPosition);
  } catch (const std::bad_alloc&) {
    return -104;  // nothing was written
  }
}

std::vector<int64_t> PositionsAfterDrops(const std::vector<int64_t>& positions,
                                         const std::vector<RecordSpan>& dropped) {
  // The bytes dropped before each dropped record: one look-up a position, however many went.
  std::vector<int64_t> before(dropped.size() + 1, 0);
  for (size_t i = 0; i < dropped.size(); ++i)
    before[i + 1] = before[i] + 4 + static_cast<int64_t>(dropped[i].length);
  std::vector<int64_t> moved;
  moved.reserve(positions.size());
  for (int64_t position : positions) {
    auto at = std::lower_bound(dropped.begin(), dropped.end(), position,
                               [](const RecordSpan& s, int64_t p) { return s.position < p; });
    bool gone = at != dropped.end() && at->position == position;
    moved.push_back(gone ? -1 : position - before[static_cast<size_t>(at - dropped.begin())]);
  }
  return moved;
}
