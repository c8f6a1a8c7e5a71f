// Text outside code page 932: copied, kept, shown and pasted exactly.
#include "harness.h"

namespace {

using UnicodeTest = PelmorTest;

TEST_F(UnicodeTest, ATextOutsideTheCodePageIsKeptShownAndPastedExactly) {
  const std::wstring text = L"café ✓ 한국어 😀";
  const WideRows copies = {L"a€", L"a£", L"a€", text};  // with OVERLAP, a€ and a£ are two texts
  Start("[OPTION]\r\nOVERLAP=1\r\n", {"plain"});
  for (const std::wstring& copy : copies) {
    CopyUnicode(copy);
    ASSERT_TRUE(WaitUntil([&] { return p.RowsW(kHistory)[0] == copy; }));
  }
  ASSERT_EQ(p.RowsW(kHistory), (WideRows{text, copies[0], copies[1], L"plain"}));
  // Programs that read the code page text get what the clipboard gave them as CF_TEXT.
  const std::string codePage = ClipboardText(), record = codePage + '\0' + Utf8(text);
  EXPECT_EQ(p.Rows(kHistory)[0], codePage);
  EXPECT_EQ(p.Rows(kHistory, 1)[0], std::to_string(record.size()));
  ShowListOverTarget();
  ASSERT_TRUE(Choose(kHistory, {0, 3}));
  EXPECT_EQ(target.TextW(), text + L"plain");
  EXPECT_EQ(ClipboardText(), codePage + "plain");
  EndProcess(&p.process);
  EXPECT_TRUE(ReadFileBytes(p.File("Pelmor.WK")).ends_with(Int32Bytes(record.size()) + record));
}

}  // namespace
