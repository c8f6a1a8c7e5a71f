// Deleting rows, and the commands that act on the whole history.
#include "harness.h"

namespace {

using HistoryTest = PelmorTest;

TEST_F(HistoryTest, DeleteAsksThenRemovesExactlyTheChosenRecordsWhateverTheFocusOrACaptureDoes) {
  // With SELINDEX 0 the list selects its first row whenever it gets the focus back, as it
  // does when the confirmation closes: the rows chosen before the question must go.
  const char* const kFirstRow = "[OPTION]\r\nSELINDEX=0\r\n";
  const struct {
    const char* name;
    int list;
    const char* ini;
    bool rowPopup;
    std::vector<int> chosen;
    Rows left;
    const char* copiedBeforeOK;  // with OVERLAP, a repeat of an older text compacts the file meanwhile
  } cases[] = {
      {"history, first row on focus", kHistory, kFirstRow, false, {1}, {"c", "", "a"}, nullptr},
      {"history by the row popup, first row on focus", kHistory, kFirstRow, true, {1}, {"c", "", "a"}, nullptr},
      {"history, two rows, one of them empty", kHistory, "", false, {1, 2}, {"c", "a"}, nullptr},
      {"history, a repeat copied", kHistory, "[OPTION]\r\nOVERLAP=1\r\n", false, {1}, {"a", "c", ""}, "a"},
      {"favorites, first row on focus", kFavorites, kFirstRow, false, {1}, {"c", "", "a"}, nullptr},
      {"favorites, selection kept", kFavorites, "", false, {0, 3}, {"b", ""}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Rows records = {"a", "", "b", "c"};
    Start(c.ini, c.list == kHistory ? records : Rows{}, c.list == kFavorites ? records : Rows{});
    ShowListOverTarget();
    ASSERT_NO_FATAL_FAILURE(ShowTab(c.list == kHistory ? 0 : 1));
    for (int answer : {IDCANCEL, IDOK}) {
      p.Select(c.list, c.chosen);
      c.rowPopup ? (void)PostMessageA(p.Child(c.list), WM_COMMAND, 40010, 0) : PressKey(VK_DELETE);
      EXPECT_TRUE(p.Dialog("確認") && p.Shown());  // the list stays behind the question
      if (answer == IDOK && c.copiedBeforeOK) {
        CopyText(c.copiedBeforeOK);
        ASSERT_TRUE(WaitUntil([&] { return p.Rows(c.list).front() == c.copiedBeforeOK; }));
      }
      EXPECT_EQ(p.Answer("確認", answer), "選択行を削除しますか？");
      ASSERT_TRUE(p.Flush());
    }
    EXPECT_EQ(p.Rows(c.list), c.left);
    EXPECT_EQ(p.Selected(c.list), std::vector<int>{0});
    EndProcess(&p.process);  // the files as the delete left them
    EXPECT_EQ(ReadFileBytes(p.File(c.list == kHistory ? "Pelmor.WK" : "Pelmor.SAV")),
              RecordBytes(Rows(c.left.rbegin(), c.left.rend())));
  }
}

TEST_F(HistoryTest, DeleteAllAndRestoreAskFirstAndWorkOnTheWholeHistory) {
  const Rows saved = {"one", "two", "three"}, captured = {"one", "two", "three", "captured"};
  const struct {
    const char* name;
    int command;
    int answer;
    bool savedHistory;
    Rows work;  // after the command, "captured" having been copied before it
  } cases[] = {
      {"delete all", 40004, IDOK, true, {}},
      {"delete all, cancelled", 40004, IDCANCEL, true, captured},
      {"restore", 40007, IDOK, true, saved},
      {"restore, cancelled", 40007, IDCANCEL, true, captured},
      {"restore without a saved history", 40007, IDOK, false, {"captured"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start("", c.savedHistory ? saved : Rows{});
    WriteFileBytes(p.File("Pelmor.DAT.BAK"), RecordBytes({"older"}));
    CopyText("captured");
    ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == saved.size() * c.savedHistory + 1; }));
    p.Command(c.command);
    EXPECT_EQ(p.Answer("確認", c.answer),
              c.command == 40004 ? "履歴一覧を全件削除しますか？" : "前回終了直前の履歴ﾃﾞｰﾀへ復元しますか？");
    ASSERT_TRUE(p.Flush());
    EXPECT_EQ(p.Rows(kHistory), Rows(c.work.rbegin(), c.work.rend()));
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT.BAK")), RecordBytes({"older"}));  // neither touches the backup
    EXPECT_EQ(p.Quit(), 0u);
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), RecordBytes(c.work));
  }
}

}  // namespace
