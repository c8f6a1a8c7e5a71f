// The history's files across runs: start-up preparation, rotation and crash recovery.
#include <gtest/gtest.h>

#include "store/history_files.h"
#include "store/record_file.h"
#include "test_files.h"

namespace {

struct History {
  TempDir dir;
  HistoryPaths paths = MakeHistoryPaths(dir.path);
};

TEST(HistoryFiles, FirstStartCreatesAnEmptyWorkFileAndExitCreatesNoBackup) {
  History h;
  PrepareWorkFile(h.paths, 0);
  FileHandle work;
  ASSERT_EQ(OpenWorkFileAt(h.paths.work, &work), 0);
  CloseFileHandle(work);
  EXPECT_EQ(ReadAll(h.paths.work), Int32Bytes(0));
  RotateHistoryFiles(h.paths);
  EXPECT_EQ(ReadAll(h.paths.saved), Int32Bytes(0));
  EXPECT_FALSE(Exists(h.paths.backup));
  EXPECT_FALSE(Exists(h.paths.savedScratch));
}

TEST(HistoryFiles, TwoExitsKeepTheLastTwoHistories) {
  History h;
  WriteAll(h.paths.work, RecordBytes({"first"}));
  RotateHistoryFiles(h.paths);
  PrepareWorkFile(h.paths, 0);
  EXPECT_EQ(ReadAll(h.paths.work), RecordBytes({"first"}));
  WriteAll(h.paths.work, RecordBytes({"first", "second"}));
  RotateHistoryFiles(h.paths);
  EXPECT_EQ(ReadAll(h.paths.backup), RecordBytes({"first"}));
  EXPECT_EQ(ReadAll(h.paths.saved), RecordBytes({"first", "second"}));
}

TEST(HistoryFiles, NormalStartAfterAnOrderlyExitCopiesTheSavedHistory) {
  History h;
  WriteAll(h.paths.work, RecordBytes({"a"}));
  WriteAll(h.paths.saved, RecordBytes({"a"}));
  WriteAll(h.paths.backup, RecordBytes({"old"}));
  EXPECT_FALSE(WorkFileNeedsRotation(h.paths, 0));
  EXPECT_FALSE(WorkFileNeedsRotation(h.paths, 1));
  PrepareWorkFile(h.paths, 0);
  EXPECT_EQ(ReadAll(h.paths.work), RecordBytes({"a"}));
  EXPECT_EQ(ReadAll(h.paths.backup), RecordBytes({"old"}));
}

TEST(HistoryFiles, CapturesOfAKilledRunAreKept) {
  History h;
  WriteAll(h.paths.saved, RecordBytes({"a"}));
  WriteAll(h.paths.backup, RecordBytes({"old"}));
  WriteAll(h.paths.work, RecordBytes({"a", "captured", "before the crash"}));
  ASSERT_TRUE(WorkFileNeedsRotation(h.paths, 0));
  PrepareWorkFile(h.paths, 0);
  EXPECT_EQ(ReadAll(h.paths.work), RecordBytes({"a", "captured", "before the crash"}));
  EXPECT_EQ(ReadAll(h.paths.saved), RecordBytes({"a", "captured", "before the crash"}));
  EXPECT_EQ(ReadAll(h.paths.backup), RecordBytes({"a"}));
}

TEST(HistoryFiles, WithBootInitTheKilledRunStaysRestorable) {
  History h;
  WriteAll(h.paths.saved, RecordBytes({"a"}));
  WriteAll(h.paths.work, RecordBytes({"a", "b"}));
  PrepareWorkFile(h.paths, 1);
  EXPECT_FALSE(Exists(h.paths.work));
  EXPECT_EQ(ReadAll(h.paths.saved), RecordBytes({"a", "b"}));
}

TEST(HistoryFiles, EmptyOrMissingWorkFileIsNotRotated) {
  History h;
  WriteAll(h.paths.saved, RecordBytes({"a"}));
  EXPECT_FALSE(WorkFileNeedsRotation(h.paths, 0));
  WriteAll(h.paths.work, "\x01\x02");
  EXPECT_FALSE(WorkFileNeedsRotation(h.paths, 0));
  PrepareWorkFile(h.paths, 0);
  EXPECT_EQ(ReadAll(h.paths.work), RecordBytes({"a"}));
  EXPECT_FALSE(Exists(h.paths.backup));
}

TEST(HistoryFiles, WithoutSavedHistoryAKilledRunsWorkFileIsUsedAsItIs) {
  History h;
  WriteAll(h.paths.work, RecordBytes({"first run"}));
  PrepareWorkFile(h.paths, 0);
  EXPECT_EQ(ReadAll(h.paths.work), RecordBytes({"first run"}));
  EXPECT_FALSE(Exists(h.paths.saved));
  // Start-up would delete it: it becomes the saved history first.
  PrepareWorkFile(h.paths, 1);
  EXPECT_FALSE(Exists(h.paths.work));
  EXPECT_EQ(ReadAll(h.paths.saved), RecordBytes({"first run"}));
  EXPECT_FALSE(Exists(h.paths.backup));
}

TEST(HistoryFiles, WithoutSavedHistoryAnOldWorkFileStays) {
  History h;
  WriteAll(h.paths.work, "\x01\x02\x03");
  PrepareWorkFile(h.paths, 0);
  FileHandle work;
  ASSERT_EQ(OpenWorkFileAt(h.paths.work, &work), 0);
  CloseFileHandle(work);
  EXPECT_EQ(ReadAll(h.paths.work), std::string(4, '\0'));
  EXPECT_FALSE(Exists(h.paths.saved));
}

TEST(HistoryFiles, InterruptedRotationNeverLeavesHalfASavedHistory) {
  History h;
  FaultGuard faults;
  const std::string saved = RecordBytes({"saved"});
  WriteAll(h.paths.saved, saved);
  WriteAll(h.paths.work, RecordBytes({"saved", "a much longer text captured in this run"}));
  gFileFaults.writeBudget = 20;  // the machine stops while the copies are written
  RotateHistoryFiles(h.paths);
  gFileFaults = FileFaults();
  EXPECT_EQ(ReadAll(h.paths.saved), saved);
  EXPECT_FALSE(Exists(h.paths.savedScratch));
  EXPECT_FALSE(Exists(h.paths.backupScratch));
  // The next start finds the work file unrotated and keeps its captures.
  PrepareWorkFile(h.paths, 0);
  EXPECT_EQ(ReadAll(h.paths.saved), RecordBytes({"saved", "a much longer text captured in this run"}));
}

TEST(HistoryFiles, WorkFileHeldByAnotherProcessCannotBeOpenedAndNothingChanges) {
  History h;
  WriteAll(h.paths.saved, RecordBytes({"a"}));
  WriteAll(h.paths.work, RecordBytes({"held"}));
  FileHandle other = OpenRecordFile(h.paths.work.c_str());
  ASSERT_NE(other, kNoFile);
  PrepareWorkFile(h.paths, 0);
  FileHandle work;
  EXPECT_EQ(OpenWorkFileAt(h.paths.work, &work), -101);
  CloseFileHandle(other);
  EXPECT_EQ(ReadAll(h.paths.saved), RecordBytes({"a"}));
  EXPECT_FALSE(Exists(h.paths.backup));
}

}  // namespace
