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

}  // namespace
