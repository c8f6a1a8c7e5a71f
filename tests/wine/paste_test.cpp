// Paste-back of chosen rows into the window the user was in, and the keys of the lists.
#include "harness.h"

namespace {

using PasteTest = PelmorTest;

TEST_F(PasteTest, EnterPastesTheChosenRowsJoinedInListOrderWithoutRecordingThem) {
  const std::vector<std::string> history = {"alpha", "会議は午後3時からです", "https://example.jp/資料/"};
  CopyText("unchanged");
  Start("", history);
  const struct {
    const char* name;
    std::vector<int> rows;
    std::string pasted;
  } cases[] = {
      {"nothing selected", {}, ""},
      {"one row", {2}, "alpha"},
      {"three rows", {0, 1, 2}, "https://example.jp/資料/会議は午後3時からですalpha"},
  };
  int pastes = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Ask(GetDlgItem(target.window, 100), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    ShowListOverTarget();
    p.Select(kHistory, c.rows);
    PressKey(VK_RETURN);
    ASSERT_TRUE(p.Gone());
    if (c.rows.empty()) {
      EXPECT_EQ(ClipboardText(), "unchanged");
      continue;
    }
    ASSERT_TRUE(WaitUntil([&] { return target.Pastes() == pastes + 1; }));
    pastes = target.Pastes();
    EXPECT_EQ(target.Text(), c.pasted);
  }
  EXPECT_EQ(p.Rows(kHistory).size(), 3u);
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes(history));
}

TEST_F(PasteTest, WhileAnotherProgramHoldsTheClipboardTheChosenTextWaitsForIt) {
  CopyText("old clipboard text");
  Start("", {"chosen", "other"});
  ShowListOverTarget();
  p.Select(kHistory, {1});  // "chosen"
  {
    ClipboardHold hold;  // another program keeps the clipboard open
    ASSERT_TRUE(hold.held);
    PressKey(VK_RETURN);
    ASSERT_TRUE(p.Gone());  // the list is gone and its text could not be put on the clipboard
  }
  // A Ctrl+V typed anyway would paste the old text.
  ASSERT_TRUE(WaitUntil([&] { return target.Pastes() == 1; }));
  EXPECT_EQ(target.Text(), "chosen");
  EXPECT_EQ(ClipboardText(), "chosen");
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteTest, ThePasteGoesToTheWindowTheUserWasIn) {
  enum Step { kHotKeyUnderAPalette, kRememberedWindowClosed, kClickElsewhere };
  const struct {
    const char* name;
    Step step;
    const char* intoTarget;
    const char* intoPalette;
  } cases[] = {
      {"hot key while a palette stays on top", kHotKeyUnderAPalette, "for A", ""},
      {"the window of the hot key is gone", kRememberedWindowClosed, "", "for A"},
      {"a click into another window", kClickElsewhere, "", ""},
  };
  Start("[OPTION]\r\nHOTKEY=0\r\n", {"for A"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(target.window || target.Start("Editor"));
    Target palette;
    ASSERT_TRUE(palette.Start("Palette", Target::kTopmost));
    ClickWindow(target.window);  // the user types in the target
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target.window; }));
    PressKey('1', true);
    ASSERT_TRUE(WaitUntil([&] { return p.Shown() && GetForegroundWindow() == p.main; }) && p.Settled());
    if (c.step == kRememberedWindowClosed) EndProcess(&target.process);
    if (c.step == kClickElsewhere)
      ClickWindow(palette.window);
    else
      PressKey(VK_RETURN);
    ASSERT_TRUE(p.Gone());
    Target& receiver = c.step == kRememberedWindowClosed ? palette : target;
    if (c.step != kClickElsewhere) {
      ASSERT_TRUE(WaitUntil([&] { return receiver.Pastes() == 1; }));
    }
    EXPECT_EQ(palette.Text(), c.intoPalette);
    if (target.process.hProcess) {
      EXPECT_EQ(target.Text(), c.intoTarget);
    }
    target.window = target.process.hProcess ? target.window : nullptr;
  }
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteTest, EscAndTheSelectionOnShowingFollowTheOptions) {
  const struct {
    const char* ini;
    bool escHides;
    std::vector<int> selectedWhenShownAgain;
  } cases[] = {
      {"", true, {1}},
      {"[OPTION]\r\nSELINDEX=0\r\n", true, {0}},
      {"[OPTION]\r\nESCKEY=0\r\n", false, {2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    Start(c.ini, {"c", "b", "a"});
    ShowListOverTarget();
    p.Select(kHistory, {1});
    PressKey(VK_ESCAPE);
    if (c.escHides) {
      ASSERT_TRUE(p.Gone());
    } else {
      // Keys queued behind Esc are drained with it: press Down until one moves the
      // selection, which shows that Esc was handled and left the window open.
      ASSERT_TRUE(WaitUntil([&] {
        if (p.Selected(kHistory) == std::vector<int>{2}) return true;
        PressKey(VK_DOWN);
        return false;
      }));
      EXPECT_TRUE(p.Shown());
    }
    ShowListOverTarget();  // hidden by the target's activation if it was still shown
    EXPECT_EQ(p.Selected(kHistory), c.selectedWhenShownAgain);
    EXPECT_EQ(p.Quit(), 0u);
  }
}

TEST_F(PasteTest, TabCyclesTheTabsAndTheLastOneIsOpenedAtTheNextStart) {
  Start("", {"a"}, {}, "aa\n");
  ShowListOverTarget();
  for (int tab : {1, 2, 0, 1, 2}) ASSERT_NO_FATAL_FAILURE(ShowTab(tab));
  EXPECT_TRUE(IsWindowVisible(p.Child(kAA)));
  EXPECT_FALSE(IsWindowVisible(p.Child(kHistory)) || IsWindowVisible(p.Child(kFavorites)));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(p.Ini("WINDOW", "TAB"), "2");
  DeleteFileA(p.File("AAList.txt").c_str());  // without the AA list the favorites come instead
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.CurrentTab(), 1);
  ShowListOverTarget();
  for (int tab : {0, 1}) ASSERT_NO_FATAL_FAILURE(ShowTab(tab));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(p.Ini("WINDOW", "TAB"), "1");
}

TEST_F(PasteTest, SSavesTheChosenRowsToTheFavoritesWhichPasteFromTheirFile) {
  Start("", {"x", "y", "z"});
  ShowListOverTarget();
  p.Select(kHistory, {0, 2});
  PressKey('S');
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kFavorites) == Rows{"x", "z"}; }));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.SAV")), RecordBytes({"z", "x"}));
  ASSERT_NO_FATAL_FAILURE(ShowTab(1));
  p.Select(kFavorites, {0, 1});
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return target.Text() == "xz"; }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteTest, RowPopupIsGreyedWithoutSelectionAndSavesToFavorites) {
  Start("", {"p", "q"});
  ShowListOverTarget();
  for (bool selected : {false, true}) {
    p.Select(kHistory, selected ? std::vector<int>{0} : std::vector<int>{});
    PostMessageA(p.Child(kHistory), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 8));
    HWND menu = WaitForPopupMenu();
    ASSERT_NE(menu, nullptr);
    const char* state = selected ? "\t0\t" : "\t1\t";  // enabled, or greyed
    EXPECT_EQ(p.PopupMenuItems(), (Rows{std::string("40006") + state + "選択行を保存",
                                        std::string("40010") + state + "選択行を削除"}));
    if (selected) {
      PressKey(VK_DOWN);
      PressKey(VK_RETURN);  // "選択行を保存"
    } else {
      PressKey(VK_ESCAPE);
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
    // The list itself then sees the button go up, as after a real click.
    PostMessageA(p.Child(kHistory), WM_RBUTTONUP, 0, MAKELPARAM(20, 8));
  }
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kFavorites) == Rows{"q"}; }));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.SAV")), RecordBytes({"q"}));
}

}  // namespace
