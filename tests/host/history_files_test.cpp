// The history's files across runs: start-up, rotation at exit, crash recovery, and the
// work file's rewrite.
#include <gtest/gtest.h>

#include <optional>

#include "history/history_model.h"
#include "temp_dir.h"

namespace {

using File = std::optional<std::string>;  // contents, or missing

struct History {
  TempDir dir;
  HistoryPaths paths = MakeHistoryPaths(dir.path);
  void Write(const std::string& path, const File& bytes) {
    if (bytes) WriteFileBytes(path, *bytes);
  }
  File Read(const std::string& path) { return FileThere(path) ? File(ReadFileBytes(path)) : std::nullopt; }
  // Start-up as the program does it: the work file prepared, opened and settled.
  void StartUp(int bootInit) {
    HistoryModel model;
    ASSERT_EQ(OpenHistory(&model, dir.path, bootInit, {}), 0);
    CloseWorkFile(&model);
  }
};

TEST(HistoryFiles, StartUpKeepsEveryHistoryThatWasNotSavedYet) {
  const std::string a = RecordBytes({"a"}), ab = RecordBytes({"a", "b"}), old = RecordBytes({"old"});
  const std::string empty = RecordBytes({});
  const struct {
    const char* name;
    File work, saved, backup;
    int bootInit;
    File workAfter, savedAfter, backupAfter;
    FileFaults fault = {};
  } cases[] = {
      {"first start ever", {}, {}, {}, 0, empty, {}, {}},
      {"after an orderly exit", a, a, old, 0, a, a, old},
      {"after an orderly exit, emptied at start", a, a, old, 1, empty, a, old},
      {"after a killed run", ab, a, old, 0, ab, ab, a},
      {"after a killed run, emptied at start", ab, a, old, 1, empty, ab, a},
      {"a killed run's text as long as the saved one, emptied at start", RecordBytes({"b"}), a, old, 1, empty,
       RecordBytes({"b"}), a},
      {"a short work file is no history", "\x01\x02", a, {}, 0, a, a, {}},
      {"after a killed first run", ab, {}, {}, 0, ab, {}, {}},
      {"after a killed first run, emptied at start", ab, {}, {}, 1, empty, ab, {}},
      {"after a killed run, the rotation fails", ab, a, old, 0, ab, a, a, {.failRename = 2}},
      {"after a killed run, the rotation fails, emptied at start", ab, a, old, 1, ab, a, a, {.failRename = 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    History h;
    h.Write(h.paths.work, c.work);
    h.Write(h.paths.saved, c.saved);
    h.Write(h.paths.backup, c.backup);
    FaultGuard faults;
    gFileFaults = c.fault;
    ASSERT_NO_FATAL_FAILURE(h.StartUp(c.bootInit));
    gFileFaults = FileFaults();
    EXPECT_EQ(h.Read(h.paths.work), c.workAfter);
    EXPECT_EQ(h.Read(h.paths.saved), c.savedAfter);
    EXPECT_EQ(h.Read(h.paths.backup), c.backupAfter);
  }
}

TEST(HistoryFiles, AnInterruptedExitNeverLeavesHalfASavedHistory) {
  // The machine stops while the copies are written, or the new saved history cannot be flushed.
  for (FileFaults fault : {FileFaults{.writeBudget = 20}, FileFaults{.failFlush = 2}}) {
    History h;
    FaultGuard faults;
    const std::string saved = RecordBytes({"saved"}), work = RecordBytes({"saved", "a longer text of this run"});
    WriteFileBytes(h.paths.saved, saved);
    WriteFileBytes(h.paths.work, work);
    gFileFaults = fault;
    RotateHistoryFiles(h.paths);
    gFileFaults = FileFaults();
    EXPECT_EQ(ReadFileBytes(h.paths.saved), saved);
    EXPECT_FALSE(FileThere(h.paths.savedScratch) || FileThere(h.paths.backupScratch));
    ASSERT_NO_FATAL_FAILURE(h.StartUp(0));  // the next start finds the work file unsaved and keeps it
    EXPECT_EQ(ReadFileBytes(h.paths.saved), work);
    EXPECT_EQ(ReadFileBytes(h.paths.backup), saved);
    RotateHistoryFiles(h.paths, false);  // a second exit of one run keeps the backup
    EXPECT_EQ(ReadFileBytes(h.paths.backup), saved);
  }
}

}  // namespace
