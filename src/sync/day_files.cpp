#include "day_files.h"

#include <algorithm>
#include <new>

#include "../store/file_io.h"
#include "../store/record_file.h"

// Reads the records [from, available) in one piece: their bytes lie together and are known to be
// in the file, so nothing larger than the file is ever allocated.
static bool ReadRecordRange(FileHandle file, const RecordIndex& index, int32_t from, int32_t available,
                            std::vector<std::string>* texts) {
  const RecordSpan& first = index.records[static_cast<size_t>(from)];
  const RecordSpan& last = index.records[static_cast<size_t>(available - 1)];
  std::string bytes(static_cast<size_t>(last.position + 4 + last.length - first.position), '\0');
  if (!SeekTo(file, first.position) ||
      ReadBytes(file, bytes.data(), static_cast<int64_t>(bytes.size())) != static_cast<int64_t>(bytes.size()))
    return false;
  for (int32_t i = from; i < available; ++i) {
    const RecordSpan& r = index.records[static_cast<size_t>(i)];
    texts->push_back(bytes.substr(static_cast<size_t>(r.position + 4 - first.position), static_cast<size_t>(r.length)));
  }
  return true;
}

bool ReadPeerDayFile(const std::string& path, int32_t from, int32_t* available, std::vector<std::string>* texts) {
  texts->clear();
  FileHandle file = OpenSharedForReading(path.c_str());
  if (file == kNoFile) return false;
  RecordIndex index;
  bool ok = IndexRecordFile(file, &index);
  *available = std::clamp(index.storedCount, 0, static_cast<int32_t>(index.records.size()));
  try {
    if (ok && from >= 0 && from < *available) ok = ReadRecordRange(file, index, from, *available, texts);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  CloseFileHandle(file);
  if (!ok) texts->clear();
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
