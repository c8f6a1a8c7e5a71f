// Text outside code page 932: copied, kept, shown and pasted exactly.
#include "harness.h"

namespace {

using UnicodeTest = PelmorTest;

TEST_F(UnicodeTest, ATextOutsideTheCodePageIsKeptShownAndPastedExactly) {
  const std::wstring text = L"café ✓ 한국어 😀";
  Start("", {"plain"});
  CopyUnicode(text);
  ASSERT_TRUE(WaitUntil([&] { return p.RowsW(kHistory).size() == 2; }));
  EXPECT_EQ(p.RowsW(kHistory), (std::vector<std::wstring>{text, L"plain"}));
  // Programs that read the code page text get what the clipboard gave them as CF_TEXT.
  const std::string codePage = ClipboardText(), record = codePage + '\0' + Utf8(text);
  EXPECT_EQ(p.Rows(kHistory), (Rows{codePage, "plain"}));
  EXPECT_EQ(p.Rows(kHistory, 1).at(0), std::to_string(record.size()));
  ShowListOverTarget();
  p.Select(kHistory, {0, 1});
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return target.Pastes() == 1; }));
  EXPECT_EQ(target.TextW(), text + L"plain");
  EXPECT_EQ(ClipboardText(), codePage + "plain");
  EndProcess(&p.process);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes({"plain", record}));
}

TEST_F(UnicodeTest, DuplicatesAreTextsEqualAlsoOutsideTheCodePage) {
  Start("[OPTION]\r\nOVERLAP=1\r\n", {});
  for (const wchar_t* copy : {L"a€", L"a£", L"a€"}) {
    CopyUnicode(copy);
    ASSERT_TRUE(WaitUntil([&] { return !p.RowsW(kHistory).empty() && p.RowsW(kHistory)[0] == copy; }));
  }
  const std::vector<std::wstring> rows = {L"a€", L"a£"};  // named: gtest quotes its arguments in the code page
  EXPECT_EQ(p.RowsW(kHistory), rows);
}

TEST_F(UnicodeTest, AUtf8AAListShowsAndPastesItsLinesExactly) {
  for (const char* mark : {"\xEF\xBB\xBF", ""}) {
    SCOPED_TRACE(*mark ? "with a byte-order mark" : "without");
    Start("", {}, {}, mark + Utf8(L"café ✓\r\n\r\n한국어\n日本語"));
    const std::vector<std::wstring> rows = {L"café ✓", L"한국어", L"日本語"};
    EXPECT_EQ(p.RowsW(kAA), rows);
    ShowListOverTarget();
    ASSERT_NO_FATAL_FAILURE(ShowTab(2));
    p.Select(kAA, {0, 1, 2});
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return target.Pastes() == 1; }));
    EXPECT_EQ(target.TextW(), rows[0] + L"\r\n" + rows[1] + L"\r\n" + rows[2]);
    EXPECT_EQ(p.Quit(), 0u);
  }
}

}  // namespace
