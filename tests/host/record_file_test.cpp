// The record file: reading, appending and rewriting, on sound and on damaged files, with
// writes that fail part-way for real.
#include <gtest/gtest.h>

#include "store/index_file.h"
#include "temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

// The records of the file as it is; then it is opened and settled as every opening does,
// and a capture appended.
Texts ReadSettleAndAppend(const std::string& path) {
  FileHandle f = OpenRecordFile(path.c_str());
  RowIndex index;
  EXPECT_EQ(LoadAndSettle(f, &index), 0);
  EXPECT_EQ(index.bytes, ReadFileBytes(path));  // read once: the index is the settled file
  EXPECT_GT(AppendRecordTo(f, "next", 4), 0);
  CloseFileHandle(f);
  Texts texts;
  for (const RecordSpan& r : index.records) texts.emplace_back(TextOf(index, r));
  return texts;
}

TEST(RecordFile, DamagedFilesKeepTheCompleteRecordsBeforeTheDamageAndTakeTheNextCaptureWhole) {
  const std::string good = RecordBytes({"abc", "de"});
  const struct {
    const char* name;
    std::string bytes;
    Texts kept;
  } cases[] = {
      {"sound", good, {"abc", "de"}},
      {"empty", "", {}},
      {"shorter than the count", "\x01\x02\x03", {}},
      {"header only, count too high", Int32Bytes(100), {}},
      {"count too high", RecordBytes(7, {"abc", "de"}), {"abc", "de"}},
      {"count too low (crash after the record)", RecordBytes(1, {"abc", "de"}), {"abc", "de"}},
      {"negative count", RecordBytes(-5, {"abc", "de"}), {"abc", "de"}},
      {"record cut in its length", RecordBytes(3, {"abc", "de"}) + "\x05\x00", {"abc", "de"}},
      {"record 1 byte short", RecordBytes(3, {"abc", "de"}) + Int32Bytes(4) + "xyz", {"abc", "de"}},
      {"record 2 bytes short", RecordBytes(3, {"abc", "de"}) + Int32Bytes(4) + "xy", {"abc", "de"}},
      {"record 3 bytes short", RecordBytes(3, {"abc", "de"}) + Int32Bytes(4) + "x", {"abc", "de"}},
      {"record 4 bytes short (cut after its length)", RecordBytes(3, {"abc", "de"}) + Int32Bytes(4), {"abc", "de"}},
      {"negative length", RecordBytes(3, {"abc", "de"}) + Int32Bytes(-1) + "zzzz", {"abc", "de"}},
      {"huge length", RecordBytes(3, {"abc", "de"}) + Int32Bytes(0x7fffffff) + "zz", {"abc", "de"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFileBytes(dir.File("f"), c.bytes);
    EXPECT_EQ(ReadSettleAndAppend(dir.File("f")), c.kept);
    Texts after = c.kept;
    after.push_back("next");
    EXPECT_EQ(ReadFileBytes(dir.File("f")), RecordBytes(after));
  }
}

TEST(RecordFile, AnAppendThatFailsPartWayLeavesTheFileAsItWasAndTheNextIsWhole) {
  const struct {
    const char* name;
    int failingWrite;  // the write that fails part-way: the record, then the count
    Texts after;
  } cases[] = {{"no failure", 0, {"abc", "hello", "next", "x", "y"}},
               {"inside the record", 1, {"abc", "next", "x", "y"}},
               {"writing the count", 2, {"abc", "next", "x", "y"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    FaultGuard faults;
    WriteFileBytes(dir.File("f"), RecordBytes({"abc"}));
    FileHandle f = OpenRecordFile(dir.File("f").c_str());
    RowIndex index;
    ASSERT_EQ(LoadAndSettle(f, &index), 0);
    gFileFaults.failWrite = c.failingWrite;
    EXPECT_EQ(AppendRecordTo(f, "hello", 5), c.failingWrite ? -1 : 4 + 7);
    EXPECT_EQ(ReadFileBytes(dir.File("f")).size(), 4 + 7 + (c.failingWrite ? 0u : 9u));
    int64_t next = -1;  // then several at once, as saving rows to the favorites does
    EXPECT_EQ(AppendRecordsTo(f, {"next", "x", "y"}, &next), 0);
    EXPECT_EQ(next, c.failingWrite ? 4 + 7 : 4 + 7 + 9);
    EXPECT_EQ(ReadFileBytes(dir.File("f")), RecordBytes(c.after));  // before anything settles it again
    CloseFileHandle(f);
  }
}

TEST(RecordFile, ARewriteFromTheIndexDropsExactlyTheChosenRecordsOrWritesNothing) {
  const Texts records = {"one", "", "three", "\xff" "four"};  // at 4, 11, 15, 24
  const struct {
    const char* name;
    std::vector<int64_t> drop;  // sorted record positions
    FileFaults fault;
    bool staleScratch;
    int result;
    Texts after;
  } cases[] = {
      {"an empty record, which cannot carry a mark", {11}, {}, false, 0, {"one", "three", "\xff" "four"}},
      {"two records apart", {4, 15}, {}, false, 0, {"", "\xff" "four"}},
      {"the first and the last", {4, 24}, {}, false, 0, {"", "three"}},
      {"a scratch file left by a crash", {24}, {}, true, 0, {"one", "", "three"}},
      {"the scratch file cannot be made", {4}, {.failOpen = 1}, false, -102, {}},
      {"the disk fills while writing it", {4}, {.writeBudget = 10}, false, -102, {}},
      {"it cannot be flushed", {4}, {.failFlush = 1}, false, -102, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    FaultGuard faults;
    WriteFileBytes(dir.File("f"), RecordBytes(records));
    if (c.staleScratch) WriteFileBytes(dir.File("Temp.DAT"), RecordBytes({"stale", "junk"}));
    FileHandle f = OpenRecordFile(dir.File("f").c_str());
    RowIndex index;
    ASSERT_EQ(LoadAndSettle(f, &index), 0);
    CloseFileHandle(f);
    SetRowFilter(&index, {"e", "e"});  // a filter's rows follow the records
    gFileFaults = c.fault;
    EXPECT_EQ(WriteIndexWithout(index, c.drop, dir.File("Temp.DAT").c_str()), c.result);
    gFileFaults = FileFaults();
    if (c.result != 0) {
      EXPECT_FALSE(FileThere(dir.File("Temp.DAT")));
      continue;
    }
    EXPECT_EQ(ReadFileBytes(dir.File("Temp.DAT")), RecordBytes(c.after));
    std::vector<RecordSpan> dropped;
    DropFromIndex(&index, c.drop, &dropped);
    EXPECT_EQ(index.bytes, RecordBytes(c.after));  // the index is the new file
    EXPECT_EQ(dropped.size(), c.drop.size());
    Texts shown;
    for (int row = 0; row < RowCount(index); ++row) shown.emplace_back(TextOf(index, *RecordOfRow(index, row)));
    Texts expected;
    for (const std::string& t : c.after)
      if (t.find('e') != std::string::npos) expected.insert(expected.begin(), t);
    EXPECT_EQ(shown, expected);
  }
  // Records after the dropped ones move up by their sizes.
  const std::vector<RecordSpan> dropped = {{4, 3}, {15, 5}};
  EXPECT_EQ(PositionAfterDrops(11, dropped), 4);
  EXPECT_EQ(PositionAfterDrops(24, dropped), 24 - 7 - 9);
  EXPECT_EQ(PositionAfterDrops(15, dropped), -1);
}

}  // namespace
