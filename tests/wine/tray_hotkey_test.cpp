// Tray callbacks and menu, pause, hot keys with the full-screen guard, and the AA list.
#include "harness.h"

namespace {

TEST(Tray, LeftClickShowsTheListAndOtherCallbacksDoNothing) {
  Pelmor p(MakeDataDir("tray"));
  ASSERT_TRUE(p.Start());
  p.Tray(WM_LBUTTONUP);
  p.Tray(WM_LBUTTONDOWN, 1234);
  p.Tray(WM_LBUTTONDBLCLK);
  p.Command(40006);
  p.Command(40010);
  ASSERT_TRUE(p.Flush());
  EXPECT_FALSE(p.Shown());
  ASSERT_TRUE(p.ShowList());
  ASSERT_TRUE(p.ShowList());  // a click never hides it
  EXPECT_EQ(p.Quit(), 0u);
}

// The tray menu's command ids from the top (0 for a separator), the check mark of the first.
std::string TrayMenu(const Pelmor& p) {
  p.Tray(WM_RBUTTONDOWN);
  HWND menu = WaitForPopupMenu();
  std::string ids;
  for (const std::string& item : p.PopupMenuItems()) ids += item.substr(0, item.find('\t', item.find('\t') + 1)) + " ";
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(menu && WaitUntil([&] { return !IsWindowVisible(menu); }));
  return ids;
}

TEST(Tray, TheMenuHasTheAAItemsOnlyWithAnAAListAndChecksPause) {
  const std::string head = "40005\t0 0\t2048 40004\t0 40007\t0 ";
  const std::string tail = "0\t2048 40002\t0 40012\t0 0\t2048 40011\t0 40001\t0 0\t2048 40003\t0 ";
  for (bool aaList : {true, false}) {
    SCOPED_TRACE(aaList ? "with AAList.txt" : "without");
    Pelmor p(MakeDataDir("tray-menu"));
    if (aaList) WriteFileBytes(p.File("AAList.txt"), "aa\n");
    ASSERT_TRUE(p.Start());
    EXPECT_EQ(TrayMenu(p), head + (aaList ? "40009\t0 40008\t0 " : "") + tail);
    p.Command(40005);
    EXPECT_EQ(TrayMenu(p).substr(0, 8), "40005\t8 ");  // checked while paused
    EXPECT_EQ(p.Quit(), 0u);
  }
}

TEST(Tray, PauseFromTheMenuAndResumeByHotKeyAgreeWithWhatIsRecorded) {
  ChainViewer viewer;
  Pelmor p(MakeDataDir("pause"));
  WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nHOTKEY=0\r\n");
  ASSERT_TRUE(p.Start());
  const struct {
    bool byHotKey;
    const char* copy;
  } steps[] = {{false, "while paused"}, {true, "after resuming"}, {true, "paused again"}, {false, "recorded"}};
  for (const auto& s : steps) {
    if (s.byHotKey)
      PressKey('2', true);
    else
      p.Command(40005);
    ASSERT_TRUE(p.Flush());
    ASSERT_TRUE(viewer.CopyThrough(s.copy));
  }
  EXPECT_EQ(p.Rows(kHistory), (Rows{"recorded", "after resuming"}));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(HotKeys, AltOneShowsAndHidesAndKeyCodeZeroLeavesItUnregistered) {
  Pelmor p(MakeDataDir("hotkeys"));
  WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nHOTKEY=0\r\nOFFHOTKEY=0\r\n");
  Target t;
  ASSERT_TRUE(t.Start("Work"));
  ASSERT_TRUE(p.Start());
  t.Focus();
  PressKey('1', true);
  ASSERT_TRUE(WaitUntil([&] { return p.Shown(); }));
  PressKey('1', true);
  ASSERT_TRUE(WaitUntil([&] { return !p.Shown(); }));
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '2'));
  EXPECT_FALSE(HotKeyFree(MOD_ALT, '1'));
  t.Focus();
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
    ASSERT_TRUE(front.Start("Work", c.front == kCoveringTheScreen ? Target::kFullScreen : Target::kNormal));
    if (c.front != kAloneInFront) {
      ASSERT_TRUE(palette.Start("Palette", Target::kTopmost));
    }
    ASSERT_TRUE(p.Start());
    front.Focus();
    PressKey('1', true);
    ASSERT_TRUE(p.Flush());
    EXPECT_EQ(p.Shown(), c.acts);
    EXPECT_EQ(p.Quit(), 0u);
  }
}

TEST_F(PelmorTest, AAListLinesBecomeRowsInFileOrderAndPasteJoinedByLineBreaks) {
  // The last line is cut by the first 1024-byte read inside 表.
  const std::string longLine = std::string(1022, 'a') + "表end";
  const std::string lines =
      "abc\r\n\r\nx\nde\n" + std::string(3000, 'L') + "\n" + std::string("ze\0ro\n", 6) + "last\n" + longLine;
  Start("", {}, {}, lines);
  EXPECT_EQ(p.Rows(kAA), (Rows{"abc", "x", "de", std::string(2047, 'L'), std::string(953, 'L'), "ze", "last",
                               longLine}));
  EXPECT_EQ(p.Rows(kAA, 2), (Rows{"0", "1", "2", "3", "4", "5", "6", "7"}));
  ShowListOverTarget();
  ASSERT_NO_FATAL_FAILURE(ShowTab(2));
  p.Select(kAA, {0, 2, 7});
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return target.Pastes() == 1; }));
  EXPECT_EQ(target.Text(), "abc\r\nde\r\n" + longLine);
  WriteFileBytes(p.File("AAList.txt"), "two\nthree\n");
  p.Command(40008);
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kAA) == Rows{"two", "three"}; }));
  EXPECT_EQ(p.Selected(kAA), std::vector<int>{0});
  EXPECT_EQ(p.Quit(), 0u);
}

}  // namespace
