// The record store on real files, as its native tests read it: the rows of an index, and a
// file settled by both readers of the program.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/index_file.h"
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
