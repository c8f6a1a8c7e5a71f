// The tray menu, pause, hot keys with the full-screen guard, and the AA list.
#include "harness.h"

namespace {

using TrayTest = PelmorTest;

TEST_F(TrayTest, PauseFromTheMenuOrAltTwoStopsRecordingUntilResumedAltOneShowsAndHidesAltZeroOpensTheMenu) {
  Start("[OPTION]\r\nHOTKEY=0\r\n", {});
  ChainViewer viewer;  // passes each change on to it, recorded or not
  const std::pair<bool, const char*> steps[] = {  // by the hot key, and the copy made then
      {false, "while paused"}, {true, "after resuming"}, {true, "paused again"}, {false, "recorded"}};
  for (auto [byHotKey, copy] : steps) {
    byHotKey ? PressKey('2', true) : p.Command(40005);
    ASSERT_TRUE(p.Flush() && viewer.CopyThrough({{CF_TEXT, copy}}));
  }
  EXPECT_EQ(p.Rows(kHistory), (Rows{"recorded", "after resuming"}));
  ASSERT_TRUE(target.Focus());
  PressKey('1', true);
  ASSERT_TRUE(WaitUntil([&] { return p.Shown(); }));
  PressKey('1', true);
  ASSERT_TRUE(p.Gone());  // the hide gives the foreground away: only then take it for the target
  ASSERT_TRUE(target.Focus());
  PressKey('0', true);
  ASSERT_NE(WaitForPopupMenu(), nullptr);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '1'));  // unregistered at exit
}

TEST(HotKeys, TheGuardSwallowsThemInFrontOfAFullScreenWindow) {
  // Full screen: nothing visible above the foreground window, or a window covering the screen
  // (a palette above it); not full screen: a smaller window under a palette.
  enum Front { kAloneInFront, kCoveringTheScreen, kSmallUnderAPalette };
  for (Front front : {kAloneInFront, kCoveringTheScreen, kSmallUnderAPalette}) {
    SCOPED_TRACE(front);
    Pelmor p(MakeDataDir("guard"));
    Target work, palette;
    ASSERT_TRUE(work.Start(L"Work", front == kCoveringTheScreen ? Target::kFullScreen : Target::kNormal));
    ASSERT_TRUE((front == kAloneInFront || palette.Start(L"Palette", Target::kTopmost)) && p.Start());
    ASSERT_TRUE(work.Focus());
    PressKey('1', true);
    ASSERT_TRUE(p.Flush());
    EXPECT_EQ(p.Shown(), front == kSmallUnderAPalette);
    EXPECT_EQ(p.Quit(), 0u);
  }
}

TEST_F(TrayTest, AAListLinesBecomeRowsInFileOrderPasteJoinedByLineBreaksAndTheirTabOpensAtTheNextStart) {
  // The last line is cut by the first 1024-byte read inside 表.
  const std::string longLine = std::string(1022, 'a') + "表end";
  Start("", {}, {},
        "abc\r\n\r\nx\nde\n" + std::string(3000, 'L') + "\n" + std::string("ze\0ro\n", 6) + "last\n" + longLine);
  EXPECT_EQ(p.Rows(kAA), (Rows{"abc", "x", "de", std::string(2047, 'L'), std::string(953, 'L'), "ze", "last", longLine}));
  EXPECT_EQ(p.Rows(kAA, 2), (Rows{"0", "1", "2", "3", "4", "5", "6", "7"}));
  ShowListOverTarget();
  ASSERT_NO_FATAL_FAILURE(ShowTab(2));  // through the favorites
  EXPECT_TRUE(IsWindowVisible(p.Child(kAA)) && !IsWindowVisible(p.Child(kHistory)));
  ASSERT_TRUE(Choose(kAA, {0, 2, 7}));
  EXPECT_EQ(target.Text(), "abc\r\nde\r\n" + longLine);
  // Read again, from a file in UTF-8: its lines are shown and pasted exactly.
  const WideRows lines = {L"café ✓", L"한국어", L"日本語"};
  WriteFileBytes(p.File("AAList.txt"), "\xEF\xBB\xBF" + Utf8(lines[0] + L"\r\n\r\n" + lines[1] + L"\n" + lines[2]));
  p.Command(40008);
  ASSERT_TRUE(WaitUntil([&] { return p.RowsW(kAA) == lines; }));
  EXPECT_EQ(p.Selected(kAA), std::vector<int>{0});
  const std::wstring before = target.TextW();
  ShowListOverTarget();
  ASSERT_TRUE(Choose(kAA, {0, 1, 2}));
  EXPECT_EQ(target.TextW(), before + lines[0] + L"\r\n" + lines[1] + L"\r\n" + lines[2]);
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(p.Ini("WINDOW", "TAB"), "2");
  DeleteFileA(p.File("AAList.txt").c_str());  // without the AA list the favorites come instead
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.CurrentTab(), 1);
}

}  // namespace
