// Record files that were damaged: truncated, torn, with lying counts and lengths, and
// operations that fail part-way.
#include <gtest/gtest.h>

#include "store/record_file.h"
#include "test_files.h"

namespace {

std::vector<std::string> SettleAndRead(const std::string& path) {
  FileHandle f = OpenRecordFile(path.c_str());
  EXPECT_NE(f, kNoFile);
  EXPECT_EQ(SettleRecordFile(f), 0);
  std::vector<RecordText> records;
  EXPECT_TRUE(ReadAllRecords(f, &records));
  CloseFileHandle(f);
  std::vector<std::string> texts;
  for (auto& r : records) texts.push_back(r.text);
  return texts;
}

struct DamageCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> kept;
  std::string settled;
};

TEST(RecordDamage, CompleteRecordsBeforeTheDamageAreKeptAndTheFileSettled) {
  const std::string good = RecordBytes({"abc", "de"});
  const DamageCase cases[] = {
      {"count too high", RecordBytes(7, {"abc", "de"}), {"abc", "de"}, good},
      {"count too low (torn append)", RecordBytes(1, {"abc", "de"}), {"abc", "de"}, good},
      {"negative count", RecordBytes(-5, {"abc", "de"}), {"abc", "de"}, good},
      {"record cut in its text", RecordBytes(3, {"abc", "de"}) + Int32Bytes(10) + "xy",
       {"abc", "de"}, good},
      {"record cut in its length", RecordBytes(3, {"abc", "de"}) + "\x05\x00", {"abc", "de"}, good},
      {"negative length", RecordBytes(3, {"abc", "de"}) + Int32Bytes(-1) + "zzzz", {"abc", "de"}, good},
      {"huge length", RecordBytes(3, {"abc", "de"}) + Int32Bytes(0x7fffffff) + "zz", {"abc", "de"}, good},
      {"header only", Int32Bytes(100), {}, Int32Bytes(0)},
  };
  for (const DamageCase& c : cases) {
    TempDir dir;
    WriteAll(dir.File("f"), c.bytes);
    EXPECT_EQ(SettleAndRead(dir.File("f")), c.kept) << c.name;
    EXPECT_EQ(ReadAll(dir.File("f")), c.settled) << c.name;
  }
}

TEST(RecordDamage, AppendAfterATornTailIsNotHidden) {
  TempDir dir;
  // A crash wrote a length and part of the text, but not the count.
  WriteAll(dir.File("f"), RecordBytes({"abc"}) + Int32Bytes(6) + "par");
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  ASSERT_EQ(SettleRecordFile(f), 0);
  ASSERT_EQ(AppendRecordTo(f, "new", 3), 11);
  CloseFileHandle(f);
  EXPECT_EQ(SettleAndRead(dir.File("f")), (std::vector<std::string>{"abc", "new"}));
}

TEST(RecordDamage, FailedAppendLeavesTheFileAsItWasAndTheNextAppendIsWhole) {
  const struct {
    const char* name;
    int failingWrite;  // the write that fails part-way: the record, then the count
  } cases[] = {{"inside the record", 1}, {"writing the count", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    FaultGuard faults;
    WriteAll(dir.File("f"), RecordBytes({"abc"}));
    FileHandle f = OpenRecordFile(dir.File("f").c_str());
    ASSERT_EQ(SettleRecordFile(f), 0);
    gFileFaults.failWrite = c.failingWrite;
    EXPECT_EQ(AppendRecordTo(f, "hello", 5), -1);
    gFileFaults = FileFaults();
    EXPECT_EQ(ReadAll(dir.File("f")), RecordBytes({"abc"}));
    EXPECT_EQ(AppendRecordTo(f, "next", 4), 4 + 7);
    CloseFileHandle(f);
    EXPECT_EQ(SettleAndRead(dir.File("f")), (std::vector<std::string>{"abc", "next"}));
  }
}

TEST(RecordDamage, PositionsThatLeadToNoRecordAreSkipped) {
  TempDir dir;
  WriteAll(dir.File("f"), RecordBytes({"abc", "de"}));
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  std::vector<std::string> texts;
  // 5 is inside a text, 11 is the second record, 99 and -4 are outside the file.
  ASSERT_TRUE(ReadRecordsAt(f, {5, 11, 99, -4, 0}, &texts));
  EXPECT_EQ(texts, std::vector<std::string>{"de"});
  ASSERT_EQ(RewriteRecordFile(f, dir.File("f").c_str(), dir.File("Temp.DAT").c_str(), {5, 99}), 0);
  EXPECT_EQ(ReadAll(dir.File("f")), RecordBytes({"abc", "de"}));
}

TEST(RecordDamage, LeftoverScratchFileIsDiscardedNotAppendedTo) {
  TempDir dir;
  WriteAll(dir.File("Temp.DAT"), RecordBytes({"stale", "junk"}));
  WriteAll(dir.File("f"), RecordBytes({"a", "b"}));
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  ASSERT_EQ(RewriteRecordFile(f, dir.File("f").c_str(), dir.File("Temp.DAT").c_str(), {4}), 0);
  EXPECT_EQ(ReadAll(dir.File("f")), RecordBytes({"b"}));
  EXPECT_FALSE(Exists(dir.File("Temp.DAT")));
}

TEST(RecordDamage, FailedRenameLeavesTheTargetAsItWas) {
  TempDir dir;
  FaultGuard faults;
  const std::string before = RecordBytes({"a", "b", "c"});
  WriteAll(dir.File("f"), before);
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  gFileFaults.failRename = 1;
  EXPECT_EQ(RewriteRecordFile(f, dir.File("f").c_str(), dir.File("Temp.DAT").c_str(), {4}), -103);
  EXPECT_EQ(ReadAll(dir.File("f")), before);
  EXPECT_FALSE(Exists(dir.File("Temp.DAT")));
  // The handle was taken: the file can be opened again.
  FileHandle again = OpenRecordFile(dir.File("f").c_str());
  EXPECT_NE(again, kNoFile);
  CloseFileHandle(again);
}

TEST(RecordDamage, ScratchWriteFailureLeavesTheTargetAsItWas) {
  TempDir dir;
  FaultGuard faults;
  const std::string before = RecordBytes({"a", "b", "c"});
  WriteAll(dir.File("f"), before);
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  gFileFaults.writeBudget = 3;  // the disk fills up while the scratch file is written
  EXPECT_EQ(RewriteRecordFile(f, dir.File("f").c_str(), dir.File("Temp.DAT").c_str(), {4}), -102);
  gFileFaults = FileFaults();
  EXPECT_EQ(ReadAll(dir.File("f")), before);
  EXPECT_FALSE(Exists(dir.File("Temp.DAT")));
}

TEST(RecordDamage, ScratchThatCannotBeCreatedLeavesTheTargetAsItWas) {
  TempDir dir;
  FaultGuard faults;
  const std::string before = RecordBytes({"a"});
  WriteAll(dir.File("f"), before);
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  gFileFaults.failOpen = 1;
  EXPECT_EQ(RewriteRecordFile(f, dir.File("f").c_str(), dir.File("Temp.DAT").c_str(), {4}), -102);
  EXPECT_EQ(ReadAll(dir.File("f")), before);
}

}  // namespace
