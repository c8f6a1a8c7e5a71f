// Capture of every copy, and paste-back of chosen rows into the window the user was in.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

using Rows = std::vector<std::string>;

void CopyAndWait(const Pelmor& p, const std::string& text, size_t rows) {
  CopyText(text);
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == rows; })) << text;
}

TEST(Capture, CopiesAppearAsTopRowsAndInTheWorkFileButNotWhatWasThereAtStart) {
  CopyText("on the clipboard before the start");
  ChainViewer viewer;
  Pelmor p(MakeDataDir("capture"));
  ASSERT_TRUE(p.Start());
  CopyAndWait(p, "日本語のテキスト", 1);
  CopyAndWait(p, "", 2);
  CopyBytes(std::string("cut\0here", 8));
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == 3; }));
  // Nothing to record; Pelmor still passes the change on along the chain.
  int seen = ChainViewer::notifications;
  CopyBytes("not text", RegisterClipboardFormatA("PelmorTestFormat"));
  ASSERT_TRUE(WaitUntil([&] { return ChainViewer::notifications > seen; }));
  CopyAndWait(p, "last", 4);
  EXPECT_EQ(p.Rows(kHistory), (Rows{"last", "cut", "", "日本語のテキスト"}));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), Records({"日本語のテキスト", "", "cut", "last"}));
}

TEST(Capture, OldestFirstAppendsAtTheBottom) {
  Pelmor p(MakeDataDir("oldest-first"));
  WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nADDFLG=0\r\n");
  WriteFileBytes(p.File("Pelmor.DAT"), Records({"A", "B", "C"}));
  ASSERT_TRUE(p.Start());
  CopyAndWait(p, "D", 4);
  EXPECT_EQ(p.Rows(kHistory), (Rows{"A", "B", "C", "D"}));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Capture, WithOverlapEachTextStaysOnceAsItsNewestCopy) {
  Pelmor p(MakeDataDir("overlap"));
  WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nOVERLAP=1\r\n");
  ASSERT_TRUE(p.Start());
  CopyAndWait(p, "same", 1);
  CopyAndWait(p, "other", 2);
  CopyText("same");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == Rows{"same", "other"}; }));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), Records({"other", "same"}));
}

TEST(Capture, PasswordManagerCopiesAreNotRecordedButPassedOn) {
  ChainViewer viewer;
  Pelmor p(MakeDataDir("private"));
  ASSERT_TRUE(p.Start());
  // Each change is passed on to the viewer after Pelmor, recorded or not.
  auto copyPassedOn = [&](const std::string& text, const char* mark, const std::string& data) {
    int seen = ChainViewer::notifications;
    CopyPrivateText(text, mark, data);
    return WaitUntil([&] { return ChainViewer::notifications > seen; });
  };
  EXPECT_TRUE(copyPassedOn("secret1", "ExcludeClipboardContentFromMonitorProcessing", ""));
  EXPECT_TRUE(copyPassedOn("secret2", "Clipboard Viewer Ignore", ""));
  EXPECT_TRUE(copyPassedOn("secret3", "CanIncludeInClipboardHistory", std::string(4, '\0')));
  EXPECT_TRUE(copyPassedOn("allowed", "CanIncludeInClipboardHistory", std::string("\x01\0\0\0", 4)));
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == Rows{"allowed"}; }));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), Records({"allowed"}));
}

TEST(Capture, ChainRepairWhenTheNextViewerLeaves) {
  ChainViewer viewer;
  Pelmor p(MakeDataDir("chain"));
  ASSERT_TRUE(p.Start());
  // The viewer after Pelmor leaves; Pelmor must take over its successor.
  ChangeClipboardChain(viewer.window, ChainViewer::next);
  int before = ChainViewer::notifications;
  CopyAndWait(p, "after the repair", 1);  // Pelmor has handled the change and passed it on
  EXPECT_EQ(ChainViewer::notifications, before);
  EXPECT_EQ(p.Quit(), 0u);
}

struct PasteFixture : ::testing::Test {
  Pelmor p{MakeDataDir(::testing::UnitTest::GetInstance()->current_test_info()->name())};
  Target target;
  void StartWith(const std::string& ini, const std::vector<std::string>& history) {
    WriteFileBytes(p.File("Pelmor.ini"), ini);
    WriteFileBytes(p.File("Pelmor.DAT"), Records(history));
    ASSERT_TRUE(target.Start("Editor"));
    ASSERT_TRUE(p.Start());
  }
  void ShowListOverTarget() {
    target.Focus();
    ASSERT_TRUE(p.ShowList());
  }
  // The user types in the target, with a palette kept on top of everything, and shows
  // the list with Alt+1.
  void ShowListByHotKeyUnder(Target& palette) {
    ASSERT_TRUE(palette.Start("Palette", Target::kTopmost));
    ClickWindow(target.window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target.window; }));
    PressKey('1', true);
    ASSERT_TRUE(WaitUntil([&] { return p.Shown() && GetForegroundWindow() == p.main; }) && p.Settled());
  }
};

TEST_F(PasteFixture, EnterPastesTheChosenRowIntoTheTargetWithoutRecordingIt) {
  StartWith("", {"alpha", "会議は午後3時からです", "https://example.jp/資料/", "beta"});
  ShowListOverTarget();
  p.Select(kHistory, {3});
  SaveScreenshot(p.main, "list-window");
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return target.Text() == "alpha"; }));
  char t[256] = {}; GetWindowTextA(GetForegroundWindow(), t, 256);
  EXPECT_FALSE(p.Shown());
  EXPECT_EQ(ClipboardText(), "alpha");
  EXPECT_EQ(p.Rows(kHistory).size(), 4u);
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")),
            Records({"alpha", "会議は午後3時からです", "https://example.jp/資料/", "beta"}));
}

TEST_F(PasteFixture, SeveralRowsArePastedJoinedInListOrder) {
  StartWith("", {"c", "b", "a"});
  ShowListOverTarget();
  p.Select(kHistory, {0, 1, 2});
  PressKey(VK_RETURN);
  WaitUntil([&] { return target.Text() == "abc"; });
  char t[256] = {}; GetWindowTextA(GetForegroundWindow(), t, 256);
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, EnterWithNothingSelectedHidesAndPastesNothing) {
  StartWith("", {"a"});
  CopyText("unchanged");
  ShowListOverTarget();
  p.Select(kHistory, {});
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return !p.Shown(); }));
  EXPECT_EQ(ClipboardText(), "unchanged");
  EXPECT_EQ(target.Text(), "");
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, WhileAnotherProgramHoldsTheClipboardTheChosenTextWaitsForIt) {
  CopyText("old clipboard text");
  StartWith("", {"chosen", "other"});
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

TEST_F(PasteFixture, EscHidesOnlyWithEscKey) {
  StartWith("[OPTION]\r\nESCKEY=0\r\n", {"a", "b"});
  ShowListOverTarget();
  PressKey(VK_ESCAPE);
  // Keys queued behind Esc are drained with it, so keep pressing Down until one moves the
  // selection (to the last row, where it stays): by then Esc has been handled.
  ASSERT_TRUE(WaitUntil([&] {
    if (p.Selected(kHistory) == std::vector<int>{1}) return true;
    PressKey(VK_DOWN);
    return false;
  }));
  EXPECT_TRUE(p.Shown());
  EXPECT_EQ(p.Quit(), 0u);

  WriteFileBytes(p.File("Pelmor.ini"), "");
  ASSERT_TRUE(p.Start());
  ShowListOverTarget();
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !p.Shown(); }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, TabCyclesHistoryAndFavoritesAndIsSaved) {
  StartWith("", {"a"});
  ShowListOverTarget();
  EXPECT_EQ(p.CurrentTab(), 0);
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return p.CurrentTab() == 1 && IsWindowVisible(p.Child(kFavorites)); }));
  EXPECT_FALSE(IsWindowVisible(p.Child(kHistory)));
  EXPECT_EQ(p.Quit(), 0u);
  char tab[8] = {};
  GetPrivateProfileStringA("WINDOW", "TAB", "", tab, sizeof tab, p.File("Pelmor.ini").c_str());
  EXPECT_STREQ(tab, "1");
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.CurrentTab(), 1);
  ShowListOverTarget();
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return p.CurrentTab() == 0; }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, DeleteAsksAndRemovesExactlyTheChosenRows) {
  StartWith("", {"keep1", "", "gone", "keep2"});
  ShowListOverTarget();
  p.Select(kHistory, {1, 2});  // "gone" and the empty text
  PressKey(VK_DELETE);
  HWND box = WaitForDialog(p.process.dwProcessId, "確認");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "選択行を削除しますか？");
  EXPECT_TRUE(p.Shown());  // the list stays behind the question
  ClickButton(box, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_EQ(p.Rows(kHistory).size(), 4u);
  p.Select(kHistory, {1, 2});
  PressKey(VK_DELETE);
  ASSERT_NE(p.Answer("確認", IDOK), kNoDialog);
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == Rows{"keep2", "keep1"}; }));
  EXPECT_EQ(p.Selected(kHistory), std::vector<int>{0});
  p.Kill();
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), Records({"keep1", "keep2"}));
}

TEST_F(PasteFixture, SSavesToFavoritesAndFavoritesPasteReadsThem) {
  StartWith("", {"x", "y", "z"});
  ShowListOverTarget();
  p.Select(kHistory, {0, 2});
  PressKey('S');
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kFavorites) == Rows{"x", "z"}; }));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.SAV")), Records({"z", "x"}));
  p.Idle();
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return p.CurrentTab() == 1; }));
  p.Select(kFavorites, {0, 1});
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return target.Text() == "xz"; }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, RowPopupIsGreyedWithoutSelectionAndSavesToFavorites) {
  StartWith("", {"p", "q"});
  ShowListOverTarget();
  p.Select(kHistory, {});
  PostMessageA(p.Child(kHistory), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 8));
  HWND menu = WaitForPopupMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(p.PopupMenuItems(), (Rows{"40006\t1\t選択行を保存", "40010\t1\t選択行を削除"}));
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  // The list itself then sees the button go up, as after a real click.
  PostMessageA(p.Child(kHistory), WM_RBUTTONUP, 0, MAKELPARAM(20, 8));
  p.Select(kHistory, {0});  // the row under the click, as when the user right-clicks a row
  PostMessageA(p.Child(kHistory), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 8));
  menu = WaitForPopupMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(p.PopupMenuItems(), (Rows{"40006\t0\t選択行を保存", "40010\t0\t選択行を削除"}));
  PressKey(VK_DOWN);
  PressKey(VK_RETURN);  // "選択行を保存"
  PostMessageA(p.Child(kHistory), WM_RBUTTONUP, 0, MAKELPARAM(20, 8));
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kFavorites) == Rows{"q"}; }));
  EXPECT_EQ(p.Rows(kHistory), (Rows{"q", "p"}));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.SAV")), Records({"q"}));
}

TEST_F(PasteFixture, SelectFirstRowOnFocusWithSelIndexZero) {
  StartWith("[OPTION]\r\nSELINDEX=0\r\n", {"a", "b", "c"});
  ShowListOverTarget();
  p.Select(kHistory, {2});
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !p.Shown(); }));
  ShowListOverTarget();
  EXPECT_TRUE(WaitUntil([&] { return p.Selected(kHistory) == std::vector<int>{0}; }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, SelectionIsKeptWithSelIndexOne) {
  StartWith("", {"a", "b", "c"});
  ShowListOverTarget();
  p.Select(kHistory, {1, 2});
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !p.Shown(); }));
  ShowListOverTarget();
  EXPECT_EQ(p.Selected(kHistory), (std::vector<int>{1, 2}));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, ClickingAnotherWindowHidesTheListAndPastesNothing) {
  StartWith("", {"a"});
  ShowListOverTarget();
  ClickWindow(target.window);
  ASSERT_TRUE(WaitUntil([&] { return !p.Shown(); }));
  EXPECT_EQ(target.Text(), "");
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, PasteGoesToTheWindowOfTheHotKeyNotToAWindowKeptOnTop) {
  StartWith("[OPTION]\r\nHOTKEY=0\r\n", {"for A"});
  Target onTop;
  ASSERT_NO_FATAL_FAILURE(ShowListByHotKeyUnder(onTop));
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return target.Text() == "for A"; }));
  EXPECT_EQ(onTop.Text(), "");
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, WhenTheRememberedWindowIsGoneTheTopTitledWindowGetsThePaste) {
  StartWith("[OPTION]\r\nHOTKEY=0\r\n", {"for C"});
  Target onTop;
  ASSERT_NO_FATAL_FAILURE(ShowListByHotKeyUnder(onTop));
  target.Close();
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return onTop.Text() == "for C"; }));
  EXPECT_EQ(p.Quit(), 0u);
}

TEST_F(PasteFixture, WindowTrackingFollowsMovesAndSizes) {
  StartWith("", {"a"});
  ShowListOverTarget();
  SetWindowPos(p.main, nullptr, 120, 80, 500, 400, SWP_NOZORDER);
  RECT list;
  GetWindowRect(p.Child(kHistory), &list);
  RECT client;
  GetClientRect(p.main, &client);
  EXPECT_EQ(list.right - list.left, client.right - 20);
  EXPECT_EQ(list.bottom - list.top, client.bottom - 40);
  EXPECT_EQ(p.Quit(), 0u);
  char x[16] = {}, w[16] = {};
  GetPrivateProfileStringA("WINDOW", "X", "", x, sizeof x, p.File("Pelmor.ini").c_str());
  GetPrivateProfileStringA("WINDOW", "WIDTH", "", w, sizeof w, p.File("Pelmor.ini").c_str());
  EXPECT_STREQ(x, "120");
  EXPECT_STREQ(w, "500");
}

}  // namespace
