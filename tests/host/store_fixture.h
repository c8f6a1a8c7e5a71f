// The record store on real files, as its native tests read it: the rows of an index, and a
// file settled by both readers of the program.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/index_file.h"
#include "store/record_text.h"
#include "store/text_search.h"
#include "temp_dir.h"

using Texts = std::vector<std::string>;

// Each row's text and position, in list order.
inline Texts Rows(const RowIndex& index) {
  Texts rows;
  for (int row = 0; row < RowCount(index); ++row) {
    const RecordSpan* r = RecordOfRow(index, row);
    rows.push_back(std::string(TextOf(index, *r)) + "@" + std::to_string(r->position));
    EXPECT_EQ(RowOfPosition(index, r->position), row);
  }
  EXPECT_EQ(RecordOfRow(index, RowCount(index)), nullptr);
  return rows;
}

// Records of a megabyte each, more than two pieces of the file reader's: read on both cores, each
// record across the end of a piece.
inline Texts Large() {
  Texts texts;
  for (char letter = 'a'; letter < 'j'; ++letter) texts.emplace_back(1000003, letter);
  return texts;
}

// The records of the file as it is; then it is opened and settled as every opening does,
// and a capture appended. The same bytes settled by the other reader (g) come out the same.
inline Texts ReadSettleAndAppend(const TempDir& dir) {
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

// The filter a step of typing makes: "utf8|code page" ("utf8|" for a text outside the code page),
// or the same bytes in both.
inline RowFilter FilterOf(const std::string& step) {
  size_t bar = step.find('|');
  if (bar == std::string::npos) return {step, step, true};
  return {step.substr(0, bar), step.substr(bar + 1), bar + 1 < step.size()};
}

// The records that hold the filter, by a plain search of each one, in file order.
inline std::vector<int32_t> PlainSearch(const RowIndex& index, const RowFilter& filter) {
  std::vector<int32_t> found;
  for (size_t i = 0; i < index.records.size(); ++i) {
    std::string_view text = TextOf(index, index.records[i]), exact;
    bool holds = ExactText(text, &exact) ? ContainsText(exact, filter.utf8, kUtf8)
                                         : filter.inCodePage && ContainsText(CodePageText(text), filter.codePage);
    if (holds) found.push_back(static_cast<int32_t>(i));
  }
  return found;
}

// Texts the filter looks through: letters in either case, double-byte characters (ア is 83 41,
// its second byte the letter A; 午後 is 8C DF 8C E3), a zero ending the code page text with and
// without an exact text after it, each behind 0 to 39 bytes, so that every place in a 16 or 32-byte
// block is met; and a record with an exact text (café).
inline Texts TextsToFilter() {
  using namespace std::string_literals;
  Texts records;
  for (int i = 0; i < 40; ++i)
    for (const std::string& text : {"Apple pie"s, "pineAPPLE"s, "\x83\x41"s, "\x83\x41\x41"s, "\x8C\xDF\x8C\xE3 q"s,
                                    "zz\0qu"s, "zz\0\xFFqu"s, "cafe"s, "app\0\xFF"s, std::string(i, 'q')})
      records.push_back(std::string(static_cast<size_t>(i), '.') + text);
  records.push_back(RecordWithExactText("caf?", "caf\xC3\xA9"));
  return records;
}

// Words typed into the filter line, step by step: "utf8|code page 932" (nothing after the bar: the
// code page cannot hold it), or the same bytes in both; the last is typed, then a letter erased.
inline std::vector<Texts> TypedWords() {
  return {{"a", "ap", "app", "appL", "appLe"}, {"q", "qu"}, {"A"},
          {"\xE5\x8D\x88|\x8C\xDF", "\xE5\x8D\x88\xE5\xBE\x8C|\x8C\xDF\x8C\xE3"},  // 午, 午後
          {"c", "ca", "caf", "caf\xC3\xA9|"}, {"ap", "a"}};
}
