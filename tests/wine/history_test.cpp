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
    std::vector<int> chosen;  // rows, newest first
    Rows left;                // in file order
    const char* copiedBeforeOK;  // with OVERLAP, a repeat of an older text compacts the file meanwhile
  } cases[] = {  // the list holds a, "", b and c
      {"history, first row on focus", kHistory, kFirstRow, false, {1}, {"a", "", "c"}, nullptr},
      {"history by the row popup, first row on focus", kHistory, kFirstRow, true, {1}, {"a", "", "c"}, nullptr},
      {"history, a repeat copied", kHistory, "[OPTION]\r\nOVERLAP=1\r\n", false, {1}, {"", "c", "a"}, "a"},
      {"favorites, first row on focus", kFavorites, kFirstRow, false, {1}, {"a", "", "c"}, nullptr},
      {"favorites, selection kept", kFavorites, "", false, {0, 3}, {"", "b"}, nullptr},
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
    EXPECT_EQ(Columns(p, c.list), ExpectedColumns(c.left));  // each row's text, length and place in the file
    EXPECT_EQ(p.Selected(c.list), std::vector<int>{0});
    EndProcess(&p.process);  // the files as the delete left them
    EXPECT_EQ(ReadFileBytes(p.File(c.list == kHistory ? "Pelmor.WK" : "Pelmor.SAV")), RecordBytes(c.left));
  }
}

TEST_F(HistoryTest, DeleteAllAndRestoreAskFirstAndWorkOnTheWholeHistory) {
  const Rows saved = {"one", "two", "three"};
  const struct {
    const char* name;
    int command;
    bool savedHistory;
    Rows work;  // after the command, "captured" having been copied before it
  } cases[] = {
      {"delete all", 40004, true, {}},
      {"restore", 40007, true, saved},
      {"restore without a saved history", 40007, false, {"captured"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rows captured = c.savedHistory ? saved : Rows{};
    captured.push_back("captured");
    Start("", c.savedHistory ? saved : Rows{});
    WriteFileBytes(p.File("Pelmor.DAT.BAK"), RecordBytes({"older"}));
    CopyText("captured");
    ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).size() == captured.size(); }));
    for (int answer : {IDCANCEL, IDOK}) {  // cancelled, it changes nothing
      p.Command(c.command);
      EXPECT_EQ(p.Answer("確認", answer),
                c.command == 40004 ? "履歴一覧を全件削除しますか？" : "前回終了直前の履歴ﾃﾞｰﾀへ復元しますか？");
      ASSERT_TRUE(p.Flush());
      EXPECT_EQ(Columns(p, kHistory), ExpectedColumns(answer == IDOK ? c.work : captured)) << answer;
    }
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT.BAK")), RecordBytes({"older"}));  // neither touches the backup
    EXPECT_EQ(p.Quit(), 0u);
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), RecordBytes(c.work));
  }
}

}  // namespace
