#include "day_files.h"

#include <cstring>
#include <new>

#include "../store/file_io.h"
#include "../store/record_file.h"

namespace {

constexpr int64_t kWindowSize = 64 * 1024;

// Reads forward through another PC's day file a window at a time: lengths come from the window,
// and a text too long for it is read on its own, so memory follows what is taken, never the
// file's size.
struct PeerReader {
  FileHandle file;
  int64_t size;
  std::string window;
  int64_t windowStart = 0;
};

bool ReadAt(PeerReader* r, int64_t position, char* out, int64_t count) {
  int64_t offset = position - r->windowStart;
  if (offset < 0 || offset + count > static_cast<int64_t>(r->window.size())) {
    if (count > kWindowSize) return SeekTo(r->file, position) && ReadBytes(r->file, out, count) == count;
    r->window.resize(static_cast<size_t>(kWindowSize));
    int64_t got = SeekTo(r->file, position) ? ReadBytes(r->file, r->window.data(), kWindowSize) : -1;
    r->window.resize(static_cast<size_t>(got > 0 ? got : 0));
    r->windowStart = position;
    offset = 0;
    if (got < count) return false;
  }
  std::memcpy(out, r->window.data() + offset, static_cast<size_t>(count));
  return true;
}

int32_t ReadInt32At(PeerReader* r, int64_t position, bool* ok) {
  unsigned char b[4];
  *ok = ReadAt(r, position, reinterpret_cast<char*>(b), 4);
  return *ok ? static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24) : 0;
}

// Walks the records the count vouches for and takes those from `from` on until the limit.
// False when a read fails; *next is where the walk stopped.
bool WalkPeerRecords(PeerReader* r, int32_t from, const ReadLimit& limit, int32_t* next,
                     std::vector<std::string>* texts, bool* cut) {
  bool ok = true;
  int32_t count = r->size < 4 ? 0 : ReadInt32At(r, 0, &ok);
  int64_t position = 4, taken = 0;
  int32_t i = 0;
  for (; ok && i < count && position + 4 <= r->size; ++i) {
    int32_t length = ReadInt32At(r, position, &ok);
    // A negative length or one that runs past the end is damage: stop before it.
    if (!ok || length < 0 || length > r->size - position - 4) break;
    if (i >= from) {
      bool first = texts->empty() && limit.takeOne;
      if (!first && (taken + length > limit.bytes || static_cast<int64_t>(texts->size()) >= limit.records)) {
        *cut = true;
        break;
      }
      texts->emplace_back(static_cast<size_t>(length), '\0');
      ok = ReadAt(r, position + 4, texts->back().data(), length);
      taken += length;
    }
    position += 4 + static_cast<int64_t>(length);
  }
  *next = i;
  return ok;
}

}  // namespace

bool ReadPeerDayFile(const std::string& path, int32_t from, int32_t* available, std::vector<std::string>* texts,
                     const ReadLimit& limit, bool* cut) {
  texts->clear();
  bool cutShort = false;
  PeerReader reader{OpenSharedForReading(path.c_str()), -1, {}};
  if (reader.file == kNoFile) return false;
  reader.size = FileSizeOf(reader.file);
  bool ok = reader.size >= 0;
  *available = 0;
  try {
    ok = ok && WalkPeerRecords(&reader, from < 0 ? 0 : from, limit, available, texts, &cutShort);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  CloseFileHandle(reader.file);
  if (!ok) texts->clear();
  if (cut) *cut = ok && cutShort;
  return ok;
}

int AppendToDayFile(const std::string& path, const std::vector<std::string>& records,
                    std::vector<KeptCopy>* kept) {
  FileHandle file = OpenRecordFile(path.c_str());
  if (file == kNoFile) return -101;
  int result = SettleRecordFile(file, path, kept);
  if (result == 0)
    result = AppendRecordsTo(file, std::vector<std::string_view>(records.begin(), records.end()));
  CloseFileHandle(file);
  return result;
}
