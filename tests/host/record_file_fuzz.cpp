// Feeds arbitrary bytes as the work file to the history: start-up, a capture, a repeat that
// rewrites the file and a delete must leave a well-formed record file that the rows mirror.
// The same bytes go to the Pelmor.KEY reader and the sealed-record opener.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../common/test_files.h"
#include "history/history_model.h"
#include "sync/day_files.h"
#include "sync/key_file.h"

// The file is a record file whose count names its records, and the rows are the file. It is
// read through the model's own handle: the model holds it exclusively.
static void CheckMirrored(const HistoryModel& model) {
  RecordIndex found;
  if (!IndexRecordFile(model.work, &found) || found.storedCount != static_cast<int32_t>(found.records.size()) ||
      found.endOfRecords != found.fileSize || ReadFileBytes(model.paths.work) != model.history.bytes)
    __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    // tmpfs: the flushes of the rewrites cost nothing there.
    char pattern[] = "/dev/shm/pelmor-fuzz-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/";
  }();
  const std::string work = dir + "Pelmor.WK", bytes(reinterpret_cast<const char*>(data), size);
  WriteFileBytes(work, bytes);
  unlink((dir + "Pelmor.DAT").c_str());  // no saved history: the work file is used as it is

  // As another PC's day file: the texts are exactly the trustworthy records after the first asked.
  int32_t available = -1;
  std::vector<std::string> peerTexts;
  if (ReadPeerDayFile(work, 1, &available, &peerTexts) &&
      (available < 0 || peerTexts.size() != static_cast<size_t>(available > 1 ? available - 1 : 0)))
    __builtin_trap();

  // A key file read is one that reads back the same; bytes made without the key never open.
  KeyFile keyFile, again;
  if (ParseKeyFile(bytes, &keyFile) && !(ParseKeyFile(KeyFileText(keyFile), &again) && again == keyFile))
    __builtin_trap();
  std::string opened;
  if (OpenSealedRecord(SealKey(), "A\\20261208.PLX", 0, bytes, &opened)) __builtin_trap();

  FileHandle raw = OpenFileForReading(work.c_str());
  RecordIndex before;
  IndexRecordFile(raw, &before);
  CloseFileHandle(raw);

  HistoryModel model;
  if (OpenHistory(&model, dir, 0, {.dropDuplicates = true}) != 0) __builtin_trap();
  if (model.history.records.size() != before.records.size()) __builtin_trap();  // every complete record kept
  for (const KeptCopy& kept : model.keptCopies)  // a damaged file cut after a whole copy of it
    if (ReadFileBytes(kept.copy) != bytes || unlink(kept.copy.c_str()))
      __builtin_trap();
  CheckMirrored(model);
  ListChange change;
  RecordText(&model, "ab", &change);
  RecordText(&model, "ab", &change);  // a repeat: the older one goes in a rewrite
  CheckMirrored(model);
  if (!model.history.records.empty()) {
    BeginDelete(&model, RecordList::kHistory, {model.history.records.front().position});
    FinishDelete(&model, true, &change);
  }
  CheckMirrored(model);
  CloseWorkFile(&model);
  return 0;
}
