// Tray callbacks, pause, hot keys with the full-screen guard, and the AA list.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

using Rows = std::vector<std::string>;

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

const std::vector<std::string> kFullTrayMenu = {
    "40005\t0\t一時停止",       "0\t2048\t",           "40004\t0\t全履歴削除",
    "40007\t0\t前回履歴復元",   "40009\t0\tAAリスト編集", "40008\t0\tAAリスト再読込",
    "0\t2048\t",                "40002\t0\t環境設定",   "40012\t0\t常駐ソフトとする",
    "0\t2048\t",                "40011\t0\tヘルプ",     "40001\t0\tバージョン",
    "0\t2048\t",                "40003\t0\tおわり！"};

std::vector<std::string> OpenTrayMenu(const Pelmor& p) {
  p.Tray(WM_RBUTTONDOWN);
  HWND menu = WaitForPopupMenu();
  EXPECT_NE(menu, nullptr);
  std::vector<std::string> items = p.PopupMenuItems();
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  return items;
}

TEST(Tray, RightClickOpensTheMenuWithFourteenPositionsWhenThereIsAnAAList) {
  Pelmor p(MakeDataDir("tray-menu"));
  WriteFileBytes(p.File("AAList.txt"), "aa\n");
  ASSERT_TRUE(p.Start());
  p.Tray(WM_RBUTTONDOWN);
  HWND menu = WaitForPopupMenu();
  ASSERT_NE(menu, nullptr);
  SaveScreenshot(menu, "tray-menu");
  EXPECT_EQ(p.PopupMenuItems(), kFullTrayMenu);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Tray, WithoutAnAAListTheMenuHasTwelvePositionsAndPauseIsChecked) {
  Pelmor p(MakeDataDir("tray-menu-short"));
  ASSERT_TRUE(p.Start());
  std::vector<std::string> expected = kFullTrayMenu;
  expected.erase(expected.begin() + 4, expected.begin() + 6);
  EXPECT_EQ(OpenTrayMenu(p), expected);
  p.Command(40005);
  expected[0] = "40005\t8\t一時停止";
  EXPECT_EQ(OpenTrayMenu(p), expected);
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Tray, PauseFromTheMenuAndResumeByHotKeyAgreeWithWhatIsRecorded) {
  ChainViewer viewer;
  Pelmor p(MakeDataDir("pause"));
  WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nHOTKEY=0\r\n");
  ASSERT_TRUE(p.Start());
  p.CommandNow(40005);
  ASSERT_TRUE(viewer.CopyThrough("while paused"));
  PressKey('2', true);  // resume
  ASSERT_TRUE(p.Flush());
  ASSERT_TRUE(viewer.CopyThrough("after resuming"));
  EXPECT_EQ(p.Rows(kHistory), Rows{"after resuming"});
  PressKey('2', true);  // pause again by hot key
  ASSERT_TRUE(p.Flush());
  ASSERT_TRUE(viewer.CopyThrough("paused again"));
  p.CommandNow(40005);  // resume from the menu
  ASSERT_TRUE(viewer.CopyThrough("recorded"));
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
  // Alt+2 is free: another program can take it.
  EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_ALT, '2'));
  UnregisterHotKey(nullptr, 1);
  EXPECT_FALSE(RegisterHotKey(nullptr, 2, MOD_ALT, '1'));
  t.Focus();
  PressKey('0', true);
  HWND menu = WaitForPopupMenu();
  ASSERT_NE(menu, nullptr);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(p.Quit(), 0u);
  // Unregistered at exit.
  EXPECT_TRUE(RegisterHotKey(nullptr, 3, MOD_ALT, '1'));
  UnregisterHotKey(nullptr, 3);
}

TEST(HotKeys, GuardSwallowsWithNothingVisibleAboveAndLetsThroughWithoutIt) {
  Pelmor p(MakeDataDir("guard"));
  Target t;
  ASSERT_TRUE(t.Start("Work"));
  ASSERT_TRUE(p.Start());
  t.Focus();  // nothing visible lies above the foreground window: it counts as full screen
  PressKey('1', true);
  ASSERT_TRUE(p.Flush());
  EXPECT_FALSE(p.Shown());
  EXPECT_EQ(p.Quit(), 0u);
  WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nHOTKEY=0\r\n");
  ASSERT_TRUE(p.Start());
  t.Focus();
  PressKey('1', true);
  EXPECT_TRUE(WaitUntil([&] { return p.Shown(); }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(HotKeys, GuardSwallowsAWindowCoveringTheScreenEvenWithAWindowAbove) {
  Pelmor p(MakeDataDir("guard-fullscreen"));
  Target game;
  ASSERT_TRUE(game.Start("Game", Target::kFullScreen));
  Target palette;
  ASSERT_TRUE(palette.Start("Palette", Target::kTopmost));  // visible, above the game
  ASSERT_TRUE(p.Start());
  game.Focus();
  PressKey('1', true);
  ASSERT_TRUE(p.Flush());
  EXPECT_FALSE(p.Shown());
  // The same window arrangement with a window that does not cover the screen: it acts.
  Target editor;
  ASSERT_TRUE(editor.Start("Editor"));
  palette.Focus();
  editor.Focus();
  PressKey('1', true);
  EXPECT_TRUE(WaitUntil([&] { return p.Shown(); }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(HotKeys, GuardLetsThroughAnEmptyTitleAndTheTaskManager) {
  for (const char* title : {"", "Windows タスク マネージャ"}) {
    Pelmor p(MakeDataDir("guard-excluded"));
    Target t;
    ASSERT_TRUE(t.Start(title));
    ASSERT_TRUE(p.Start());
    t.Focus();  // nothing visible above: the guard would swallow any other window
    PressKey('1', true);
    EXPECT_TRUE(WaitUntil([&] { return p.Shown(); })) << "title [" << title << "]";
    EXPECT_EQ(p.Quit(), 0u);
  }
}

TEST(HotKeys, GuardLetsThroughForTheDesktopTitle) {
  Pelmor p(MakeDataDir("guard-desktop"));
  Target t;
  ASSERT_TRUE(t.Start("Program Manager"));
  ASSERT_TRUE(p.Start());
  t.Focus();
  PressKey('1', true);
  EXPECT_TRUE(WaitUntil([&] { return p.Shown(); }));
  EXPECT_EQ(p.Quit(), 0u);
}

struct AAFixture : ::testing::Test {
  Pelmor p{MakeDataDir(::testing::UnitTest::GetInstance()->current_test_info()->name())};
  Target target;
};

TEST_F(AAFixture, LinesBecomeRowsInFileOrderAndPasteJoinedByLineBreaks) {
  // The last line is cut by the first 1024-byte read inside 表.
  const std::string longLine = std::string(1022, 'a') + "表end";
  std::string content = "abc\r\n\r\nx\nde\n" + std::string(3000, 'L') + "\n" + std::string("ze\0ro\n", 6) + "last\n" + longLine;
  WriteFileBytes(p.File("AAList.txt"), content);
  ASSERT_TRUE(target.Start("Editor"));
  ASSERT_TRUE(p.Start());
  Rows rows = p.Rows(kAA);
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[0], "abc");
  EXPECT_EQ(rows[1], "x");
  EXPECT_EQ(rows[2], "de");
  EXPECT_EQ(rows[3].size(), 2047u);
  EXPECT_EQ(rows[4].size(), 953u);
  EXPECT_EQ(rows[5], "ze");
  EXPECT_EQ(rows[6], "last");
  EXPECT_EQ(rows[7], longLine);
  target.Focus();
  ASSERT_TRUE(p.ShowList());
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return p.CurrentTab() == 1; }));
  p.Idle();  // a key pressed while the last one is handled would be drained with it
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return p.CurrentTab() == 2; }));
  SaveScreenshot(p.main, "aa-tab");
  p.Select(kAA, {0, 2, 7});
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return target.Text() == "abc\r\nde\r\n" + longLine; }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(AAFixture, ReloadShowsTheEditedFileAndTabCyclesThroughThree) {
  WriteFileBytes(p.File("AAList.txt"), "one\n");
  ASSERT_TRUE(target.Start("Editor"));
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.Rows(kAA), Rows{"one"});
  WriteFileBytes(p.File("AAList.txt"), "two\nthree\n");
  p.Command(40008);
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kAA) == Rows{"two", "three"}; }));
  EXPECT_EQ(p.Selected(kAA), std::vector<int>{0});
  target.Focus();
  ASSERT_TRUE(p.ShowList());
  for (int expected : {1, 2, 0}) {
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return p.CurrentTab() == expected; })) << expected;
    p.Idle();
  }
  EXPECT_EQ(p.Quit(), 0u);
}

}  // namespace
