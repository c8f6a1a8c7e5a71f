// Restore, delete all, deleting rows and saving them to the favorites.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

struct Files {
  std::string wk, dat, bak, sav;
};

Files Snapshot(const Pelmor& p) {
  return {ReadFileBytes(p.File("Pelmor.WK")), ReadFileBytes(p.File("Pelmor.DAT")),
          ReadFileBytes(p.File("Pelmor.DAT.BAK")), ReadFileBytes(p.File("Pelmor.SAV"))};
}

// A Pelmor whose history holds "one", "two", "three" (shown newest first).
void StartWithHistory(Pelmor& p) {
  WriteFileBytes(p.File("Pelmor.DAT"), Records({"one", "two", "three"}));
  WriteFileBytes(p.File("Pelmor.DAT.BAK"), Records({"older"}));
  ASSERT_TRUE(p.Start());
  ASSERT_EQ(p.Rows(kHistory), (std::vector<std::string>{"three", "two", "one"}));
}

TEST(HistoryCommands, DeleteAllAsksThenEmptiesTheHistoryAndKeepsTheSavedOnes) {
  Pelmor p(MakeDataDir("delete-all"));
  StartWithHistory(p);
  p.Command(40004);
  EXPECT_EQ(p.Answer("確認", IDOK), "履歴一覧を全件削除しますか？");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).empty(); }));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), Records({}));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT.BAK")), Records({"one", "two", "three"}));
}

TEST(HistoryCommands, RestoreBringsBackTheLastExitsHistory) {
  Pelmor p(MakeDataDir("restore"));
  StartWithHistory(p);
  CopyText("captured now");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == 4; }));
  p.Command(40007);
  EXPECT_EQ(p.Answer("確認", IDOK), "前回終了直前の履歴ﾃﾞｰﾀへ復元しますか？");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == 3; }));
  EXPECT_EQ(p.Selected(kHistory), std::vector<int>{0});
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), Records({"one", "two", "three"}));
}

TEST(HistoryCommands, CancelInEitherConfirmationChangesNothing) {
  Pelmor p(MakeDataDir("cancel"));
  StartWithHistory(p);
  CopyText("kept");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == 4; }));
  for (int command : {40004, 40007}) {
    p.Command(command);
    ASSERT_NE(p.Answer("確認", IDCANCEL), kNoDialog);
  }
  EXPECT_EQ(p.Rows(kHistory).size(), 4u);
  CopyText("still capturing");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == 5; }));
  Files before = {Records({"one", "two", "three", "kept", "still capturing"}), Records({"one", "two", "three"}),
                  Records({"older"}), Records({})};
  p.Kill();  // no rotation: the files are as the commands left them
  Files after = Snapshot(p);
  EXPECT_EQ(after.wk, before.wk);
  EXPECT_EQ(after.dat, before.dat);
  EXPECT_EQ(after.bak, before.bak);
  EXPECT_EQ(after.sav, before.sav);
}

TEST(HistoryCommands, RestoreWithoutSavedHistoryKeepsTheRows) {
  Pelmor p(MakeDataDir("restore-nothing"));
  ASSERT_TRUE(p.Start());
  CopyText("only here");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == 1; }));
  p.Command(40007);
  ASSERT_NE(p.Answer("確認", IDOK), kNoDialog);
  EXPECT_EQ(p.Rows(kHistory), std::vector<std::string>{"only here"});
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(HistoryCommands, DeleteRemovesExactlyTheChosenRecordWhateverTheFocusDoes) {
  // With SELINDEX 0 the list selects its first row whenever it gets the focus back, as it
  // does when the confirmation closes: the rows chosen before the question must go.
  const struct {
    const char* name;
    int list;
    const char* ini;
    bool rowPopup;
  } cases[] = {
      {"history, first row on focus", kHistory, "[OPTION]\r\nSELINDEX=0\r\n", false},
      {"history by the row popup, first row on focus", kHistory, "[OPTION]\r\nSELINDEX=0\r\n", true},
      {"history, selection kept", kHistory, "", false},
      {"favorites, first row on focus", kFavorites, "[OPTION]\r\nSELINDEX=0\r\n", false},
      {"favorites, selection kept", kFavorites, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Pelmor p(MakeDataDir("delete-chosen"));
    std::string file = p.File(c.list == kHistory ? "Pelmor.WK" : "Pelmor.SAV");
    WriteFileBytes(p.File("Pelmor.ini"), c.ini);
    WriteFileBytes(p.File(c.list == kHistory ? "Pelmor.DAT" : "Pelmor.SAV"), Records({"a", "b", "c"}));
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.ShowList());
    if (c.list == kFavorites) {
      PressKey(VK_TAB);
      ASSERT_TRUE(WaitUntil([&] { return p.CurrentTab() == 1; }) && p.Settled());
    }
    p.Select(c.list, {1});  // "b"
    if (c.rowPopup)
      PostMessageA(p.Child(c.list), WM_COMMAND, 40010, 0);
    else
      PressKey(VK_DELETE);
    EXPECT_EQ(p.Answer("確認", IDOK), "選択行を削除しますか？");
    EXPECT_TRUE(WaitUntil([&] { return p.Rows(c.list) == std::vector<std::string>{"c", "a"}; }));
    p.Kill();
    EXPECT_EQ(ReadFileBytes(file), Records({"a", "c"}));
  }
}

}  // namespace
