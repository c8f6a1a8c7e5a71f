// Record file operations on well-formed files.
#include <gtest/gtest.h>

#include "store/record_file.h"
#include "test_files.h"

namespace {

struct OpenFile {
  explicit OpenFile(const std::string& path) : handle(OpenRecordFile(path.c_str())) {}
  ~OpenFile() { CloseFileHandle(handle); }
  FileHandle handle;
};

std::vector<std::string> Texts(FileHandle f) {
  std::vector<RecordText> records;
  EXPECT_TRUE(ReadAllRecords(f, &records));
  std::vector<std::string> texts;
  for (auto& r : records) texts.push_back(r.text);
  return texts;
}

TEST(RecordFile, AppendToNewFileGivesPositionsFourThenEightPlusLength) {
  TempDir dir;
  OpenFile f(dir.File("Pelmor.WK"));
  ASSERT_EQ(SettleRecordFile(f.handle), 0);
  EXPECT_EQ(ReadAll(dir.File("Pelmor.WK")), Int32Bytes(0));
  EXPECT_EQ(AppendRecordTo(f.handle, "abc", 3), 4);
  EXPECT_EQ(AppendRecordTo(f.handle, "de", 2), 8 + 3);
  EXPECT_EQ(AppendRecordTo(f.handle, "", 0), 8 + 3 + 4 + 2);
  EXPECT_EQ(ReadAll(dir.File("Pelmor.WK")), RecordBytes({"abc", "de", ""}));
}

TEST(RecordFile, ReadAllGivesTextsAndPositionsInFileOrder) {
  TempDir dir;
  WriteAll(dir.File("f"), RecordBytes({"A", "BB", "", "\xff\x01"}));
  OpenFile f(dir.File("f"));
  std::vector<RecordText> records;
  ASSERT_TRUE(ReadAllRecords(f.handle, &records));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].position, 4);
  EXPECT_EQ(records[1].position, 9);
  EXPECT_EQ(records[2].position, 15);
  EXPECT_EQ(records[3].position, 19);
  // A text that starts with 0xFF is an ordinary text.
  EXPECT_EQ(records[3].text, "\xff\x01");
}

TEST(RecordFile, ShortFileBecomesFourZeroBytes) {
  for (std::string start : {std::string(), std::string("\x07"), std::string("\x01\x02\x03")}) {
    TempDir dir;
    WriteAll(dir.File("f"), start);
    OpenFile f(dir.File("f"));
    ASSERT_EQ(SettleRecordFile(f.handle), 0);
    EXPECT_EQ(ReadAll(dir.File("f")), std::string(4, '\0')) << start.size() << " bytes";
  }
}

TEST(RecordFile, DuplicateSearchFindsEqualTextsOnlyAndSkipsTheNewRecord) {
  TempDir dir;
  WriteAll(dir.File("f"), RecordBytes({"abc", "abd", "abc", "abcd", "abc"}));
  OpenFile f(dir.File("f"));
  EXPECT_EQ(CountRecordsEqualTo(f.handle, "abc", 3), 3);
  EXPECT_EQ(CountRecordsEqualTo(f.handle, "zzz", 3), 0);
  int64_t newest = 4 + 7 + 7 + 7 + 8;
  EXPECT_EQ(FindOtherRecordsEqualTo(f.handle, "abc", 3, newest), (std::vector<int64_t>{4, 18}));
  EXPECT_EQ(CountRecordsEqualTo(f.handle, "", 0), 0);
}

TEST(RecordFile, RewriteDropsExactlyTheChosenRecordsWhateverTheirLength) {
  TempDir dir;
  // An empty record cannot carry a deletion mark; it must still go alone.
  WriteAll(dir.File("Pelmor.WK"), RecordBytes({"one", "", "three", "\xff" "four"}));
  FileHandle f = OpenRecordFile(dir.File("Pelmor.WK").c_str());
  ASSERT_EQ(RewriteRecordFile(f, dir.File("Pelmor.WK").c_str(), dir.File("Temp.DAT").c_str(), {11}), 0);
  EXPECT_EQ(ReadAll(dir.File("Pelmor.WK")), RecordBytes({"one", "three", "\xff" "four"}));
  EXPECT_FALSE(Exists(dir.File("Temp.DAT")));
}

TEST(RecordFile, RewriteOfTwoNonAdjacentRecordsLowersTheCountByTwo) {
  TempDir dir;
  WriteAll(dir.File("f"), RecordBytes({"a", "b", "c", "d"}));
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  ASSERT_EQ(RewriteRecordFile(f, dir.File("f").c_str(), dir.File("Temp.DAT").c_str(), {4, 14}), 0);
  EXPECT_EQ(ReadAll(dir.File("f")), RecordBytes({"b", "d"}));
}

TEST(RecordFile, ReadRecordsAtKeepsTheGivenOrder) {
  TempDir dir;
  WriteAll(dir.File("f"), RecordBytes({"a", "bb", "ccc"}));
  OpenFile f(dir.File("f"));
  std::vector<std::string> texts;
  ASSERT_TRUE(ReadRecordsAt(f.handle, {15, 4, 9}, &texts));
  EXPECT_EQ(texts, (std::vector<std::string>{"ccc", "a", "bb"}));
}

TEST(RecordFile, AppendSeveralAddsThemInOrderAndRaisesTheCount) {
  TempDir dir;
  WriteAll(dir.File("Pelmor.SAV"), RecordBytes({"x"}));
  OpenFile f(dir.File("Pelmor.SAV"));
  ASSERT_EQ(SettleRecordFile(f.handle), 0);
  int64_t first = 0;
  ASSERT_EQ(AppendRecordsTo(f.handle, {"a", "b", "c"}, &first), 0);
  EXPECT_EQ(first, 9);
  EXPECT_EQ(Texts(f.handle), (std::vector<std::string>{"x", "a", "b", "c"}));
  EXPECT_EQ(ReadAll(dir.File("Pelmor.SAV")), RecordBytes({"x", "a", "b", "c"}));
}

TEST(RecordFile, SecondOpenOfAHeldFileFails) {
  TempDir dir;
  OpenFile first(dir.File("f"));
  ASSERT_NE(first.handle, kNoFile);
  EXPECT_EQ(OpenRecordFile(dir.File("f").c_str()), kNoFile);
}

}  // namespace
