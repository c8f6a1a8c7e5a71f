#include "sealed_day_files.h"

#include <new>

#include "../store/file_io.h"
#include "../store/record_file.h"
#include "day_files.h"

namespace {

// The count of a settled record file: its number of complete records.
bool ReadCount(FileHandle file, int32_t* count) {
  unsigned char bytes[4];
  if (!SeekTo(file, 0) || ReadBytes(file, bytes, 4) != 4) return false;
  *count =
      static_cast<int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24);
  return *count >= 0;
}

}  // namespace

std::string SealedPlace(std::string_view folderName, const CivilDate& day) {
  return std::string(folderName) + '\\' + SealedDayFileName(day);
}

int AppendToSealedDayFile(const std::string& path, std::string_view place, const SealKey& key,
                          const std::vector<std::string>& texts, std::vector<KeptCopy>* kept) {
  FileHandle file = OpenRecordFile(path.c_str());
  if (file == kNoFile) return -101;
  int32_t count = 0;
  int result = SettleRecordFile(file, path, kept);
  if (result == 0 && !ReadCount(file, &count)) result = -101;
  // All are sealed before any is written, so a failure leaves the file as it was.
  try {
    std::vector<std::string> sealed(texts.size());
    for (size_t i = 0; result == 0 && i < texts.size(); ++i)
      if (!SealRecord(key, place, count + static_cast<int32_t>(i), texts[i], &sealed[i])) result = -102;
    if (result == 0) result = AppendRecordsTo(file, std::vector<std::string_view>(sealed.begin(), sealed.end()));
  } catch (const std::bad_alloc&) {
    result = -104;
  }
  CloseFileHandle(file);
  return result;
}

bool ReadPeerSealedDayFile(const std::string& path, std::string_view place, const SealKey& key, int32_t from,
                           int32_t* available, std::vector<std::string>* texts, int32_t* refused,
                           const ReadLimit& limit, bool* cut) {
  std::vector<std::string> sealed;
  bool read = ReadPeerDayFile(path, from, available, &sealed, limit, cut);
  texts->clear();
  int32_t left = 0;
  std::string text;
  for (size_t i = 0; i < sealed.size(); ++i) {
    if (OpenSealedRecord(key, place, from + static_cast<int32_t>(i), sealed[i], &text))
      texts->push_back(std::move(text));
    else
      ++left;
  }
  if (refused != nullptr) *refused = left;
  return read;
}
