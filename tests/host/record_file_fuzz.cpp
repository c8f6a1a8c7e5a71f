// Feeds arbitrary bytes as a record file to every operation that reads one.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "store/record_index.h"
#include "sync/day_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    // tmpfs: the flushes of the rewrite cost nothing there.
    char pattern[] = "/dev/shm/pelmor-fuzz-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/";
  }();
  const std::string path = dir + "f", scratch = dir + "Temp.DAT";
  FILE* out = fopen(path.c_str(), "wb");
  fwrite(data, 1, size, out);
  fclose(out);

  // As another PC's day file: the texts are exactly the trustworthy records after the first asked.
  int32_t available = -1;
  std::vector<std::string> peerTexts;
  if (ReadPeerDayFile(path, 1, &available, &peerTexts) &&
      (available < 0 || peerTexts.size() != static_cast<size_t>(available > 1 ? available - 1 : 0)))
    __builtin_trap();

  FileHandle f = OpenRecordFile(path.c_str());
  if (f == kNoFile) return 0;
  RecordIndex scan;
  IndexRecordFile(f, &scan);
  std::vector<std::string> texts;
  ReadRecordsAt(f, {4, 8, static_cast<int64_t>(size) / 2, -1}, &texts);
  SettleRecordFile(f);
  RowIndex rows;  // as the program does: the file settled first
  LoadRowIndex(f, &rows);
  SetRowFilter(&rows, {"a\x83", "a\x83"});
  int64_t position = AppendRecordTo(f, "ab", 2);
  if (AddRecordToIndex(&rows, position, "ab", 2) == -2) __builtin_trap();  // the index mirrors the file
  std::vector<int64_t> older = FindEqualRecords(rows, "ab", position);
  RewriteRecordFile(f, path.c_str(), scratch.c_str(), older);

  // After settling, appending and rewriting, the file must be a well-formed record file
  // holding every record found before plus the new one.
  f = OpenRecordFile(path.c_str());
  RecordIndex after;
  if (!IndexRecordFile(f, &after) || after.storedCount != static_cast<int32_t>(after.records.size()) ||
      after.endOfRecords != after.fileSize || after.records.size() != scan.records.size() + 1 - older.size())
    __builtin_trap();
  CloseFileHandle(f);
  return 0;
}
