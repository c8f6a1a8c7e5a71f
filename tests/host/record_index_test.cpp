// The index the lists draw from, against real record files, and the filter's text search.
#include <gtest/gtest.h>

#include "store/record_text.h"
#include "store/text_search.h"
#include "store_fixture.h"

namespace {

TEST(RowIndex, RowsFollowTheFileCapturesAndReloadsInEitherOrder) {
  for (bool newestFirst : {true, false}) {
    SCOPED_TRACE(newestFirst ? "newest first" : "oldest first");
    TempDir dir;
    // A torn record at the end is not a row.
    WriteFileBytes(dir.File("f"), RecordBytes({"A", "BB", ""}) + Int32Bytes(9) + "torn");
    FileHandle f = OpenRecordFile(dir.File("f").c_str());
    RowIndex index;
    index.newestFirst = newestFirst;
    auto inListOrder = [&](Texts t) { return newestFirst ? Texts(t.rbegin(), t.rend()) : t; };
    ASSERT_EQ(LoadAndSettle(f, dir.File("f"), &index, nullptr), 0);  // the torn record goes
    EXPECT_EQ(Rows(index), inListOrder({"A@4", "BB@9", "@15"}));
    int64_t position = AppendRecordTo(f, "new", 3);  // a capture
    EXPECT_EQ(AddRecordToIndex(&index, position, "new", 3), newestFirst ? 0 : 3);
    EXPECT_EQ(Rows(index).at(newestFirst ? 0 : 3), "new@19");
    EXPECT_EQ(AddRecordToIndex(&index, position + 100, "x", 1), -2);  // not where the file ends
    EXPECT_EQ(index.bytes, ReadFileBytes(dir.File("f")));
    std::vector<RecordSpan> dropped;
    DropFromIndex(&index, {9}, &dropped);
    EXPECT_EQ(Rows(index), inListOrder({"A@4", "@9", "new@13"}));
    EXPECT_EQ(FindEqualRecords(index, "new", -1), std::vector<int64_t>{13});
    EXPECT_EQ(FindEqualRecords(index, "new", 13), std::vector<int64_t>{});
    CloseFileHandle(f);
  }
}

TEST(RowIndex, AFilterNarrowsTheRowsAndKeepsThroughCapturesAndReloads) {
  TempDir dir;
  const std::string exact = RecordWithExactText("caf? ?", "caf\xC3\xA9 \xE2\x9C\x93");  // café ✓
  WriteFileBytes(dir.File("f"), RecordBytes({"Apple pie", "banana", "pineapple", "cherry", exact}));
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  RowIndex index;
  ASSERT_TRUE(LoadRowIndex(f, &index));
  SetRowFilter(&index, {"an", "an"});
  EXPECT_EQ(Rows(index), (Texts{"banana@17"}));
  int64_t position = AppendRecordTo(f, "mango", 5);
  EXPECT_EQ(AddRecordToIndex(&index, position, "mango", 5), 0);
  EXPECT_EQ(AddRecordToIndex(&index, position + 9, "kiwi", 4), -1);  // hidden by the filter
  ASSERT_TRUE(LoadRowIndex(f, &index));
  EXPECT_EQ(Rows(index), (Texts{"mango@" + std::to_string(position), "banana@17"}));
  std::vector<RecordSpan> dropped;
  DropFromIndex(&index, {4, position}, &dropped);  // a rewrite without Apple pie and mango
  EXPECT_EQ(Rows(index), (Texts{"banana@4"}));  // the oldest record left, still shown
  SetRowFilter(&index, {});
  EXPECT_EQ(RowCount(index), 4);
  CloseFileHandle(f);
}

TEST(RowIndex, TheFilterIsAPlainSearchAtEveryStepOfATypedWordOnOneCoreOrMore) {
  TempDir dir;
  WriteFileBytes(dir.File("f"), RecordBytes(TextsToFilter()));
  FileHandle f = OpenRecordFile(dir.File("f").c_str());
  for (int cores : {1, 2, 3}) {
    UseWideVectors(cores != 3);  // the 16-byte search, as on a processor without AVX2
    RowIndex index;
    ASSERT_TRUE(LoadRowIndex(f, &index));
    if (cores > 1) SignRecords(&index, cores == 2);  // records passed over by their kinds of byte, beside or here
    for (const Texts& steps : TypedWords())
      for (const std::string& step : steps) {
        SetRowFilter(&index, FilterOf(step), cores);
        EXPECT_EQ(index.matches, PlainSearch(index, FilterOf(step))) << step << " on " << cores;
        EXPECT_GT(index.matches.size(), 0u) << step;
      }
  }
  UseWideVectors(true);
  CloseFileHandle(f);
}

TEST(TextSearch, DoubleByteCharactersMatchWholeAndLettersInEitherCase) {
  // ア is 0x83 0x41: its second byte is the letter A.
  const struct {
    const char* name;
    std::string text, needle;
    bool found;
    TextEncoding encoding = kCodePage932;
  } cases[] = {
      {"letters in either case", "Hello World", "o w", true},
      {"z, the last letter", "Zip", "z", true},
      {"a, the first letter", "Apple", "a", true},
      {"@ before A is no letter", "`", "@", false},
      {"[ after Z is no letter", "{", "[", false},
      {"` before a is no letter", "@", "`", false},
      {"{ after z is no letter", "[", "{", false},
      {"not there", "Hello", "help", false},
      {"a Japanese text", "会議は午後3時から", "午後3", true},
      {"a letter is not the second byte of a character", "ア", "A", false},
      {"but is found after it", "アA", "a", true},
      {"a character made of the end of one and the start of the next", "\x82\xa0\x82\xa0", "\xa0\x82", false},
      {"the second byte of a character is compared exactly", "\x83\x61", "\x83\x41", false},
      {"empty needle", "x", "", true},
      {"found in a later block of 16 bytes, in either case", std::string(16, 'x') + "yyyyyyyyyyyyyyyyAb", "ab", true},
      {"the last 16 bytes looked at one by one", std::string(40, 'x') + "z", "Z", true},
      {"longer than the text", "ab", "abc", false},
      {"UTF-8: letters in either case after any character", "😀あApple", "あapple", true, kUtf8},
  };
  for (const auto& c : cases) EXPECT_EQ(ContainsText(c.text, c.needle, c.encoding), c.found) << c.name;
}

TEST(RecordText, ARowReadsTheFirstCharactersOfItsExactTextOrItsCodePageTextHoweverLongTheRecord) {
  const std::string smile = "\xF0\x9F\x98\x80", a = "\x82\xA0", x(1 << 20, 'x');  // 😀 is two UTF-16 units; あ
  std::string smiles;
  while (smiles.size() < x.size()) smiles += smile;
  const struct {
    const char* name;
    std::string record, shown;  // three units of it
  } cases[] = {
      {"a short text whole", "ab", "ab"},
      {"a long text's first characters", x, "xxx"},
      {"double-byte characters whole", a + a + a + a, a + a + a},
      {"a lead byte at the end", "ab\x82", "ab\x82"},
      {"the code page text ends at its zero, without an exact text after it", std::string("\x82\0\xff", 3), "\x82"},
      {"the exact text after the zero", RecordWithExactText("?ab", smile + "ab"), smile + "a"},
      {"a long exact text", RecordWithExactText("?" + x, smiles), smile + smile},
      {"a long exact text damaged at its end", RecordWithExactText("?" + x, smiles + "\xff"), "?xx"},
  };
  RowIndex index;  // as a long record's row reads it
  index.bytes = Int32Bytes(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(AddRecordToIndex(&index, static_cast<int64_t>(index.bytes.size()), c.record.data(),
                               static_cast<int32_t>(c.record.size())), 0);
    const RecordSpan& record = index.records.back();
    EXPECT_EQ(TextPrefix(c.record, ExactStartOf(index, record), 3), c.shown);
    EXPECT_EQ(record.exactStart >= 0, c.record.size() > 1 << 16);  // found once for a long record
  }
  std::string_view found;
  EXPECT_TRUE(CodePageText(cases[5].record) == "?ab" && ExactText(cases[5].record, &found) && found == smile + "ab");
}

}  // namespace
