// The record file: reading, appending and rewriting, on sound and on damaged files, with
// writes that fail part-way for real.
#include <gtest/gtest.h>

#include "store/index_file.h"
#include "temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

// The records of the file as it is; then it is opened and settled as every opening does,
// and a capture appended. The same bytes settled by the other reader (g) come out the same.
Texts ReadSettleAndAppend(const TempDir& dir) {
  WriteFileBytes(dir.File("g"), ReadFileBytes(dir.File("f")));
  FileHandle f = OpenRecordFile(dir.File("f").c_str()), g = OpenRecordFile(dir.File("g").c_str());
  RowIndex index;
  EXPECT_EQ(LoadAndSettle(f, dir.File("f"), &index, nullptr), 0);
  EXPECT_EQ(SettleRecordFile(g, dir.File("g"), nullptr), 0);
  EXPECT_EQ(index.bytes, ReadFileBytes(dir.File("f")));  // read once: the index is the settled file
  EXPECT_EQ(index.bytes, ReadFileBytes(dir.File("g")));
  EXPECT_GT(AppendRecordTo(f, "next", 4), 0);
  CloseFileHandle(f);
  CloseFileHandle(g);
  Texts texts;
  for (const RecordSpan& r : index.records) texts.emplace_back(TextOf(index, r));
  return texts;
}

TEST(RecordFile, DamagedFilesKeepTheCompleteRecordsBeforeTheDamageAndTakeTheNextCaptureWhole) {
  const std::string good = RecordBytes({"abc", "de"});
  std::string damagedLength = RecordBytes({"abc", "de", "fgh"});
  damagedLength[4 + 7 + 1] = '\x01';  // the second record's length says 258
  const struct {
    const char* name;
    std::string bytes;
    Texts kept;
    bool keptWhole = false;  // cut where the count still names records: the file is kept beside it first
  } cases[] = {
      {"sound", good, {"abc", "de"}},
      {"empty", "", {}},
      {"shorter than the count", "\x01\x02\x03", {}},
      {"header only, count too high", Int32Bytes(100), {}},
      {"count too high", RecordBytes(7, {"abc", "de"}), {"abc", "de"}},
      {"count too low (crash after the record)", RecordBytes(1, {"abc", "de"}), {"abc", "de"}},
      {"negative count", RecordBytes(-5, {"abc", "de"}), {"abc", "de"}},
      {"torn append cut in its length", good + "\x05\x00", {"abc", "de"}},
      {"torn append 1 byte short", good + Int32Bytes(4) + "xyz", {"abc", "de"}},
      {"torn append 2 bytes short", good + Int32Bytes(4) + "xy", {"abc", "de"}},
      {"torn append 3 bytes short", good + Int32Bytes(4) + "x", {"abc", "de"}},
      {"torn append 4 bytes short (cut after its length)", good + Int32Bytes(4), {"abc", "de"}},
      {"torn append of two, the first whole", good + Int32Bytes(1) + "z" + Int32Bytes(4), {"abc", "de", "z"}},
      {"the last record's length damaged, the count naming it", RecordBytes(3, {"abc", "de"}) + Int32Bytes(4) + "x",
       {"abc", "de"}, true},
      {"a damaged length in the middle", damagedLength, {"abc"}, true},
      {"negative length", RecordBytes(3, {"abc", "de"}) + Int32Bytes(-1) + "zzzz", {"abc", "de"}, true},
      {"huge length", RecordBytes(3, {"abc", "de"}) + Int32Bytes(0x7fffffff) + "zz", {"abc", "de"}, true},
      {"negative count and more than records", RecordBytes(-5, {"abc", "de"}) + "zz", {"abc", "de"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFileBytes(dir.File("f"), c.bytes);
    EXPECT_EQ(ReadSettleAndAppend(dir), c.kept);
    Texts after = c.kept;
    after.push_back("next");
    EXPECT_EQ(ReadFileBytes(dir.File("f")), RecordBytes(after));
    EXPECT_EQ(dir.KeptCopies(), Texts(c.keptWhole ? 2 : 0, c.bytes));  // f's and g's
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
    ASSERT_EQ(LoadAndSettle(f, dir.File("f"), &index, nullptr), 0);
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

}  // namespace
