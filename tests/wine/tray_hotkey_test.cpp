// The tray menu, pause, hot keys with the full-screen guard, and the AA list.
#include "harness.h"

namespace {

using TrayTest = PelmorTest;

TEST_F(TrayTest, PauseFromTheMenuOrTheHotKeyStopsRecordingUntilResumed) {
  Start("[OPTION]\r\nHOTKEY=0\r\n", {});
  ChainViewer viewer;  // passes each change on to it, recorded or not
  const struct {
    bool byHotKey;
    const char* copy;
  } steps[] = {{false, "while paused"}, {true, "after resuming"}, {true, "paused again"}, {false, "recorded"}};
  for (const auto& s : steps) {
    s.byHotKey ? PressKey('2', true) : p.Command(40005);
    ASSERT_TRUE(p.Flush() && viewer.CopyThrough({{CF_TEXT, s.copy}}));
  }
  EXPECT_EQ(p.Rows(kHistory), (Rows{"recorded", "after resuming"}));
}

TEST_F(TrayTest, AltOneShowsAndHidesAndAKeyCodeOfZeroLeavesItsHotKeyFree) {
  Start("[OPTION]\r\nHOTKEY=0\r\nOFFHOTKEY=0\r\n", {});
  ASSERT_TRUE(target.Focus());
  PressKey('1', true);
  ASSERT_TRUE(WaitUntil([&] { return p.Shown(); }));
  PressKey('1', true);
  ASSERT_TRUE(p.Gone());  // the hide gives the foreground away: only then take it for the target
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '2') && !HotKeyFree(MOD_ALT, '1'));
  ASSERT_TRUE(target.Focus());
  PressKey('0', true);
  ASSERT_NE(WaitForPopupMenu(), nullptr);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '1'));  // unregistered at exit
}

TEST(HotKeys, TheGuardSwallowsThemInFrontOfAFullScreenWindow) {
  enum Front { kAloneInFront, kCoveringTheScreen, kSmallUnderAPalette };
  const struct {
    const char* name;
    const char* ini;
    Front front;
    bool acts;
  } cases[] = {
      {"nothing visible above the foreground window", "", kAloneInFront, false},
      {"a window covering the screen, a palette above it", "", kCoveringTheScreen, false},
      {"a smaller window under a palette", "", kSmallUnderAPalette, true},
      {"the guard switched off", "[OPTION]\r\nHOTKEY=0\r\n", kAloneInFront, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Pelmor p(MakeDataDir("guard"));
    WriteFileBytes(p.File("Pelmor.ini"), c.ini);
    Target front, palette;
    ASSERT_TRUE(front.Start(L"Work", c.front == kCoveringTheScreen ? Target::kFullScreen : Target::kNormal));
    ASSERT_TRUE((c.front == kAloneInFront || palette.Start(L"Palette", Target::kTopmost)) && p.Start());
    ASSERT_TRUE(front.Focus());
    PressKey('1', true);
    ASSERT_TRUE(p.Flush());
    EXPECT_EQ(p.Shown(), c.acts);
    EXPECT_EQ(p.Quit(), 0u);
  }
}

TEST_F(TrayTest, AAListLinesBecomeRowsInFileOrderAndPasteJoinedByLineBreaks) {
  // The last line is cut by the first 1024-byte read inside 表.
  const std::string longLine = std::string(1022, 'a') + "表end";
  Start("", {}, {},
        "abc\r\n\r\nx\nde\n" + std::string(3000, 'L') + "\n" + std::string("ze\0ro\n", 6) + "last\n" + longLine);
  EXPECT_EQ(p.Rows(kAA), (Rows{"abc", "x", "de", std::string(2047, 'L'), std::string(953, 'L'), "ze", "last", longLine}));
  EXPECT_EQ(p.Rows(kAA, 2), (Rows{"0", "1", "2", "3", "4", "5", "6", "7"}));
  ShowListOverTarget();
  ASSERT_NO_FATAL_FAILURE(ShowTab(2));
  ASSERT_TRUE(Choose(kAA, {0, 2, 7}));
  EXPECT_EQ(target.Text(), "abc\r\nde\r\n" + longLine);
  WriteFileBytes(p.File("AAList.txt"), "two\nthree\n");
  p.Command(40008);
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kAA) == Rows{"two", "three"}; }));
  EXPECT_EQ(p.Selected(kAA), std::vector<int>{0});
}

}  // namespace
