// The record file read and settled, sound and damaged.
#include "store_fixture.h"

namespace {

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
      {"read in pieces on both cores, damaged at its end", RecordBytes(10, Large()) + Int32Bytes(1 << 30), Large(), true},
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

}  // namespace
