// Paste-back of chosen rows into the window the user was in, and the keys of the lists.
#include "sync_fixture.h"  // the day files of the sync folder

namespace {

using PasteTest = PelmorTest;

TEST_F(PasteTest, ThePasteGoesToTheWindowTheUserWasIn) {
  enum Step { kHotKeyUnderAPalette, kThatWindowClosed, kClickElsewhere };
  Start("[OPTION]\r\nHOTKEY=0\r\n", {"for A"});
  for (Step step : {kHotKeyUnderAPalette, kThatWindowClosed, kClickElsewhere}) {
    SCOPED_TRACE(step);
    Target palette;
    ASSERT_TRUE((target.window || target.Start(L"Editor")) && palette.Start(L"Palette", Target::kTopmost));
    ClickWindow(target.window);  // the user types in the target, then shows the list by the hot key
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target.window; }));
    PressKey('1', true);
    ASSERT_TRUE(WaitUntil([&] { return p.Shown() && GetForegroundWindow() == p.main; }) && p.Settled());
    if (step == kThatWindowClosed) target.Close();
    step == kClickElsewhere ? ClickWindow(palette.window) : PressKey(VK_RETURN);
    ASSERT_TRUE(p.Gone());
    Target& receiver = step == kThatWindowClosed ? palette : target;  // else the first titled window
    ASSERT_TRUE(step == kClickElsewhere || WaitUntil([&] { return receiver.pastes == 1; }));
    EXPECT_EQ(palette.Text() + "|" + (target.window ? target.Text() : ""),
              step == kHotKeyUnderAPalette ? "|for A" : step == kThatWindowClosed ? "for A|" : "|");
  }
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
    // Keys queued behind Esc are drained with it: press Down until one moves the
    // selection, which shows that Esc was handled and left the window open.
    ASSERT_TRUE(c.escHides ? p.Gone() : WaitUntil([&] {
      return p.Selected(kHistory) == std::vector<int>{2} || (PressKey(VK_DOWN), false);
    }) && p.Shown());
    ShowListOverTarget();  // hidden by the target's activation if it was still shown
    EXPECT_EQ(p.Selected(kHistory), c.selectedWhenShownAgain);
  }
}

TEST_F(PasteTest, EnterPastesTheChosenTextWhateverCapturesAndImportsDidToTheRowsAboveItAndWaitsForTheClipboard) {
  const std::string folder = MakeDataDir("ChosenText sync folder"), day = folder + "PC2\\" + DayFile();
  Start("[OPTION]\r\nOVERLAP=1\r\n[SYNC]\r\nDIR=" + folder + "\r\nNAME=here\r\nID=id-here\r\n", {"x", "a", "b", "c"});
  CreateDirectoryA((folder + "PC2").c_str(), nullptr);
  std::string pasted;
  // A new text, a repeat above the chosen row, two texts of another PC imported in one step, the
  // chosen text repeated.
  for (const Rows& arriving : {Rows{"new"}, Rows{"b"}, Rows{"p1", "p2"}, Rows{"a"}}) {
    ShowListOverTarget();
    const Rows before = p.Rows(kHistory);
    p.Select(kHistory, {static_cast<int>(std::find(before.begin(), before.end(), "a") - before.begin())});
    if (arriving.size() == 1) {
      CopyText(arriving[0]);
    } else {  // as the engine delivers a file: whole, at once
      WriteFileBytes(day + ".tmp", RecordBytes(arriving));
      MoveFileExA((day + ".tmp").c_str(), day.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).front() == arriving.back(); }));
    {
      ClipboardHold hold;  // another program keeps the clipboard open for a while
      PressKey(VK_RETURN);
      ASSERT_TRUE(hold.held && p.Gone());  // the text could not be put on the clipboard yet
      hold.KeepFor(300);
    }
    // A Ctrl+V typed anyway would paste the text on the clipboard before.
    pasted += "a";
    ASSERT_TRUE(WaitUntil([&] { return target.pastes == static_cast<int>(pasted.size()); }));
    EXPECT_EQ(target.Text() + " " + ClipboardText(), pasted + " a") << arriving.back();
  }
  ShowListOverTarget();
  ASSERT_TRUE(Choose(kHistory, {}));  // nothing chosen: nothing pasted, the clipboard left as it was
  EXPECT_EQ(target.Text() + " " + ClipboardText(), pasted + " a");
}

TEST_F(PasteTest, SAndTheRowPopupSaveToTheFavoritesWhichPasteTheTextsTheirRowsShow) {
  Start("", {"x", "y", "z"});
  ShowListOverTarget();
  p.Select(kHistory, {0, 2});
  PressKey('S');
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kFavorites) == Rows{"x", "z"}; }));
  p.Select(kHistory, {0});  // the row under the click
  PostMessageA(p.Child(kHistory), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 8));
  HWND menu = WaitForPopupMenu();
  PressKey(VK_DOWN);
  PressKey(VK_RETURN);  // "選択行を保存"
  ASSERT_TRUE(menu && WaitUntil([&] { return !IsWindowVisible(menu); }));
  PostMessageA(p.Child(kHistory), WM_RBUTTONUP, 0, MAKELPARAM(20, 8));  // as after a real click
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kFavorites) == Rows{"z", "x", "z"}; }));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.SAV")), RecordBytes({"z", "x", "z"}));
  ASSERT_NO_FATAL_FAILURE(ShowTab(1));
  WriteFileBytes(p.File("Pelmor.SAV"), RecordBytes({"a", "b", "c"}));  // replaced behind the list (a restored backup)
  ASSERT_TRUE(Choose(kFavorites, {1, 2}));
  EXPECT_EQ(target.Text(), "xz");
}

}  // namespace
