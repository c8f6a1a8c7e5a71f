// Text outside code page 932: copied, kept, shown and pasted exactly.
#include "harness.h"

namespace {

std::string Utf8(const std::wstring& text) {
  std::string bytes(text.size() * 4, '\0');
  bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), text.size(), bytes.data(), bytes.size(), nullptr, nullptr));
  return bytes;
}

using UnicodeTest = PelmorTest;
using WideRows = std::vector<std::wstring>;  // named: gtest quotes its arguments in the code page

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

TEST_F(UnicodeTest, AUtf8AAListShowsAndPastesItsLinesExactly) {
  const WideRows lines = {L"café ✓", L"한국어", L"日本語"};
  for (const char* mark : {"\xEF\xBB\xBF", ""}) {
    SCOPED_TRACE(*mark ? "with a byte-order mark" : "without");
    Start("", {}, {}, mark + Utf8(lines[0] + L"\r\n\r\n" + lines[1] + L"\n" + lines[2]));
    EXPECT_EQ(p.RowsW(kAA), lines);
    ShowListOverTarget();
    ASSERT_NO_FATAL_FAILURE(ShowTab(2));
    ASSERT_TRUE(Choose(kAA, {0, 1, 2}));
    EXPECT_EQ(target.TextW(), lines[0] + L"\r\n" + lines[1] + L"\r\n" + lines[2]);
  }
}

}  // namespace
