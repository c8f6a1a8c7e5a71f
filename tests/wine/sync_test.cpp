// One history across PCs: two Pelmors with data folders of their own share a sync folder.
#include "harness.h"

#include <commctrl.h>

#include <algorithm>

namespace {

std::string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char day[16];
  snprintf(day, sizeof day, "%04d%02d%02d.PLM", now.wYear, now.wMonth, now.wDay);
  return day;
}

struct SyncTest : ::testing::Test {
  std::string root = MakeDataDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::string folder = root + "同期 フォルダ\\";  // a space and Japanese characters
  Pelmor a{root + "A\\"}, b{root + "B\\"};
  void SetUp() override {
    for (const std::string& dir : {folder, a.dir, b.dir}) CreateDirectoryA(dir.c_str(), nullptr);
  }
  void TearDown() override {
    for (Pelmor* p : {&a, &b}) EXPECT_TRUE(!p->process.hProcess || p->Quit() == 0);
  }
  // The PC's settings as the options page writes them.
  void Join(const Pelmor& p, const std::string& name, const std::string& id, const std::string& dir = "") {
    WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nHOTKEY=0\r\n[SYNC]\r\nDIR=" + (dir.empty() ? folder : dir) +
                                             "\r\nNAME=" + name + "\r\nID=" + id + "\r\n");
  }
  bool Listed(const Pelmor& p, const Rows& rows, int ms = 5000) {
    return WaitUntil([&] { return p.Rows(kHistory) == rows; }, ms);
  }
  // Another PC's day file as its engine delivers it: written under another name, renamed into place.
  void Deliver(const std::string& peer, const std::string& bytes) {
    CreateDirectoryA((folder + peer).c_str(), nullptr);
    std::string path = folder + peer + "\\" + Today();
    WriteFileBytes(path + ".tmp", bytes);
    MoveFileExA((path + ".tmp").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
};

TEST_F(SyncTest, ATextCopiedOnOnePcArrivesOnTheOtherWhichKeepsItImportsNothingTwiceAndGetsWhatWaitedForTheFolder) {
  Join(a, "A", "id-a");
  Join(b, "B", "id-b");
  ASSERT_TRUE(a.Start());
  CopyText("while B was off");
  ASSERT_TRUE(Listed(a, {"while B was off"}));
  ASSERT_TRUE(b.Start());  // the backlog comes in at its first tick
  EXPECT_TRUE(Listed(b, {"while B was off"}));
  b.Command(40005);  // B paused: only the import can bring a text now
  ASSERT_TRUE(b.Flush());
  CopyText("copied on A");
  EXPECT_TRUE(Listed(b, {"copied on A", "while B was off"}));
  EXPECT_EQ(ReadFileBytes(folder + "A\\" + Today()), RecordBytes({"while B was off", "copied on A"}));
  EXPECT_EQ(ReadFileBytes(folder + "A\\owner.id"), "id-a");
  EXPECT_EQ(b.Quit(), 0u);
  EXPECT_NE(ReadFileBytes(b.File("Pelmor.SYN")).find("A\\" + Today() + "=2"), std::string::npos);
  EXPECT_FALSE(FileThere(folder + "B\\" + Today()));  // nothing of A's went back out
  ASSERT_TRUE(b.Start());
  b.Command(40005);
  ASSERT_TRUE(b.Flush());
  CopyText("after the restart");  // what B imported before comes not again
  EXPECT_TRUE(Listed(b, {"after the restart", "copied on A", "while B was off"}));
  // The folder goes away (a network drive gone): A's texts wait in Pelmor.OUT, and the tray tip counts them.
  const std::string there = root + "同期 フォルダ", away = root + "away";
  ASSERT_TRUE(MoveFileA(there.c_str(), away.c_str()));
  for (const char* text : {"away 1", "away 2"}) {
    CopyText(text);
    ASSERT_TRUE(WaitUntil([&] { return a.Rows(kHistory).front() == text; }));  // A has rows
  }
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(a.File("Pelmor.OUT")) == RecordBytes({"away 1", "away 2"}); }));
  EXPECT_TRUE(WaitUntil([&] { return TrayTips().find("ペルモア 同期待ち 2件|") != std::string::npos; }));
  ASSERT_TRUE(MoveFileA(away.c_str(), there.c_str()));
  EXPECT_TRUE(Listed(b, {"away 2", "away 1", "after the restart", "copied on A", "while B was off"}));
  EXPECT_TRUE(WaitUntil([&] { return TrayTips().find("同期待ち") == std::string::npos; }));
  EXPECT_FALSE(FileThere(a.File("Pelmor.OUT")));
}

TEST_F(SyncTest, APeerFileHalfSyncedOrDamagedGivesItsWholeRecordsIsNeverWrittenAndGivesTheRestOnceWhole) {
  auto texts = [](const std::string& peer) { return Rows{peer + "1", peer + "2", peer + "3"}; };
  std::string cut = RecordBytes(texts("c")), damaged = RecordBytes(texts("d"));
  cut.pop_back();                                  // half synced: the last record one byte short
  damaged.replace(10, 4, Int32Bytes(INT32_MAX));  // the second record's length runs far past the end
  const std::pair<std::string, std::string> files[] = {{"c", cut}, {"d", damaged}, {"e", RecordBytes(-1, texts("e"))}};
  for (const auto& [peer, bytes] : files) Deliver(peer, bytes);
  Join(b, "B", "id-b");
  ASSERT_TRUE(b.Start());
  EXPECT_TRUE(Listed(b, {"d1", "c2", "c1"}));
  for (const auto& [peer, bytes] : files) EXPECT_EQ(ReadFileBytes(folder + peer + "\\" + Today()), bytes) << peer;
  for (const auto& [peer, bytes] : files) Deliver(peer, RecordBytes(texts(peer)));
  EXPECT_TRUE(Listed(b, {"e3", "e2", "e1", "d3", "d2", "c3", "d1", "c2", "c1"}));
}

TEST_F(SyncTest, APcSetToAnothersNameWritesNothingIntoItsFolderAndSyncsOnceTheNameIsChangedOnTheOptionsPage) {
  Deliver("A", RecordBytes({"from A"}));
  const std::string ownerOfA = folder + "A\\owner.id", dayOfA = folder + "A\\" + Today();
  WriteFileBytes(ownerOfA, "id-a");
  Join(b, "A", "id-b");
  ASSERT_TRUE(b.Start());
  EXPECT_EQ(b.Answer("ｴﾗｰ", IDOK),
            "同期フォルダで「A」という名前は別のPCが使っています。このPCの同期を止めました。環境設定の「同期」ページで名前を変えてください。");
  CopyText("copied on B");
  ASSERT_TRUE(Listed(b, {"copied on B"}) && b.Flush());
  EXPECT_EQ(ReadFileBytes(ownerOfA) + ReadFileBytes(dayOfA), "id-a" + RecordBytes({"from A"}));
  HWND sheet = OpenSheet(b), page = GoToPage(sheet, 4);
  ASSERT_NE(page, nullptr);
  SetDlgItemTextA(page, 1020, "B");
  ASSERT_TRUE(CloseSheet(b, sheet, PSBTN_OK));
  EXPECT_TRUE(Listed(b, {"from A", "copied on B"}));
  EXPECT_EQ(ReadFileBytes(folder + "B\\owner.id") + ReadFileBytes(ownerOfA), "id-bid-a");
}

TEST_F(SyncTest, TheOptionsPageRefusesAFolderThatCannotBeMadeAndMakesAGoodOneWithThisPcsFolderInIt) {
  ASSERT_TRUE(a.Start());
  HWND sheet = OpenSheet(a), page = GoToPage(sheet, 4);
  ASSERT_NE(page, nullptr);
  const std::string name = WindowText(GetDlgItem(page, 1020)), blocked = root + "a file\\同期", good = folder + "新しい 同期";
  EXPECT_EQ(WindowText(GetDlgItem(page, 1021)), "30");
  EXPECT_FALSE(name.empty());  // the computer's
  WriteFileBytes(root + "a file", "");
  SetDlgItemTextA(page, 1018, blocked.c_str());
  SetDlgItemTextA(page, 1021, "7");
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  EXPECT_EQ(a.Answer("ｴﾗｰ", IDOK), "同期フォルダ「" + blocked + "」を作成または書き込みできません。");
  EXPECT_EQ(Ask(sheet, PSM_GETCURRENTPAGEHWND), reinterpret_cast<LRESULT>(page));
  SetDlgItemTextA(page, 1018, good.c_str());
  ASSERT_TRUE(CloseSheet(a, sheet, PSBTN_OK));
  const std::string id = a.Ini("SYNC", "ID");
  EXPECT_EQ(a.Ini("SYNC", "DIR") + "|" + a.Ini("SYNC", "NAME") + "|" + a.Ini("SYNC", "KEEPDAYS"), good + "|" + name + "|7");
  EXPECT_EQ(id.size(), 32u);
  EXPECT_EQ(ReadFileBytes(good + "\\" + name + "\\owner.id"), id);
}

// Through a real engine: tests/sync/with_syncthing.py runs two Syncthing instances that keep
// the folders PELMOR_SYNC_A and PELMOR_SYNC_B in step (Linux paths, reached through Z:).
using SyncEngine = SyncTest;

TEST_F(SyncEngine, ATextCopiedOnOnePcReachesTheOtherThroughSyncthing) {
  const char *onA = getenv("PELMOR_SYNC_A"), *onB = getenv("PELMOR_SYNC_B");
  if (!onA || !onB) GTEST_SKIP() << "runs beside two Syncthing instances (tests/sync/with_syncthing.py)";
  auto windowsPath = [](std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
  };
  Join(a, "A", "id-a", windowsPath(onA));
  Join(b, "B", "id-b", windowsPath(onB));
  ASSERT_TRUE(a.Start() && b.Start());
  b.Command(40005);
  ASSERT_TRUE(b.Flush());
  CopyText("同期 through Syncthing");
  EXPECT_TRUE(Listed(b, {"同期 through Syncthing"}, 30000));
}

}  // namespace
