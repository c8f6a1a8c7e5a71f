// What other programs read of the lists, and the filter line.
#include "harness.h"

namespace {

using FilterTest = PelmorTest;

// The columns other programs read after each change are checked where the change is made.
TEST_F(FilterTest, RoomThatEndsInsideADoubleByteCharacterGetsWholeCharacters) {
  Start("", {}, {"あいう", "fav"});
  for (auto [room, answer] : std::vector<std::pair<int, std::string>>{{4, "あ 2"}, {5, "あい 4"}, {3, "あ 2"}}) {
    std::vector<int> lengths;  // what the messages return
    std::string text = p.Rows(kFavorites, 0, room, &lengths).at(1);
    EXPECT_EQ(text + " " + std::to_string(lengths.at(1)), answer);
  }
}

TEST_F(FilterTest, CtrlFNarrowsTheListToTheRowsHoldingWhatIsTypedWhereEveryListKeyWorks) {
  // ｃ is 0x82 0x83 and ア is 0x83 0x41: "ｃA" holds the bytes of ア across two characters.
  // A text outside the code page is kept as its code page text ('?' for 한), a zero byte and the
  // exact text.
  const std::string url = "https://x.jp/?q=1", korean = std::string("?\0", 2) + "\xED\x95\x9C";
  Start("", {url, korean, "Apple pie", "ｃAt", "アイス", "banana", "gamma"});
  ShowListOverTarget();
  HWND line = nullptr;
  auto open = [&] {
    PressKey('F', false, true);
    return WaitUntil([&] { return (line = p.Child(5994)) && p.Focus() == line; });
  };
  ASSERT_TRUE(open());
  const std::vector<std::wstring> onlyKorean = {L"한"};  // not in the code page, where it would be '?'
  SetWindowTextW(line, onlyKorean[0].c_str());
  EXPECT_TRUE(WaitUntil([&] { return p.RowsW(kHistory) == onlyKorean; }));
  const struct {
    std::string typed;  // by the keyboard when it is ASCII, else set as the line's text
    Rows rows;
  } steps[] = {
      {"a", {"gamma", "banana", "ｃAt", "Apple pie"}}, {"ap", {"Apple pie"}}, {"ア", {"アイス"}}, {"zz", {}},
      {"an", {"banana"}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.typed);
    bool keyboard = static_cast<unsigned char>(s.typed[0]) < 0x80;
    Ask(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(keyboard ? "" : s.typed.c_str()));
    for (char c : keyboard ? s.typed : "") PressKey(static_cast<BYTE>(toupper(c)));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(line) == s.typed && p.Rows(kHistory) == s.rows; }));
    EXPECT_EQ(p.Selected(kHistory), s.rows.empty() ? std::vector<int>{} : std::vector<int>{0});
  }
  PressKey(VK_DOWN);  // into the narrowed list, where Delete works on the rows shown
  ASSERT_TRUE(WaitUntil([&] { return p.Focus() == p.Child(kHistory); }));
  PressKey(VK_DELETE);
  ASSERT_NE(p.Answer("確認", IDOK), "(no dialog)");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).empty(); }) && p.Settled());  // still narrowed
  ASSERT_TRUE(open());
  PressKey(VK_ESCAPE);  // the whole list again, the focus in it
  ASSERT_TRUE(WaitUntil([&] { return !p.Child(5994) && p.Focus() == p.Child(kHistory); }));
  EXPECT_EQ(p.Rows(kHistory), (Rows{"gamma", "アイス", "ｃAt", "Apple pie", "?", url}));
  ASSERT_TRUE(open());
  Ask(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("GAM"));
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == Rows{"gamma"}; }));
  PressKey(VK_RETURN);  // pastes the row shown, and hiding the window closes the line
  ASSERT_TRUE(WaitUntil([&] { return target.pastes == 1; }));
  EXPECT_EQ(target.Text(), "gamma");
  ShowListOverTarget();
  EXPECT_EQ(p.Child(5994), nullptr);
  EXPECT_EQ(p.Rows(kHistory).size(), 6u);
  EndProcess(&p.process);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes({url, korean, "Apple pie", "ｃAt", "アイス", "gamma"}));
}

}  // namespace
