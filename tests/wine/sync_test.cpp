// One history across PCs: two Pelmors with data folders of their own share a sync folder.
#include "sync_fixture.h"

#include <commctrl.h>

namespace {

TEST_F(SyncTest, ATextCopiedOnOnePcArrivesOnTheOtherWhichKeepsItImportsNothingTwiceAndGetsWhatWaitedForTheFolder) {
  Join(a, "A", "id-a");
  Join(b, "B", "id-b");
  ASSERT_TRUE(a.Start());
  CopyText("while B was off");
  ASSERT_TRUE(Listed(a, {"while B was off"}));
  ASSERT_TRUE(b.Start());  // the backlog comes in at its first tick
  EXPECT_TRUE(Listed(b, {"while B was off"}));
  ASSERT_TRUE(Pause(b));
  CopyText("copied on A");
  EXPECT_TRUE(Listed(b, {"copied on A", "while B was off"}));
  EXPECT_EQ(ReadFileBytes(folder + "A\\" + DayFile()), RecordBytes({"while B was off", "copied on A"}));
  EXPECT_EQ(b.Quit(), 0u);
  EXPECT_NE(ReadFileBytes(b.File("Pelmor.SYN")).find("A\\" + DayFile() + "=2"), std::string::npos);
  EXPECT_FALSE(FileThere(folder + "B\\" + DayFile()));  // nothing of A's went back out
  ASSERT_TRUE(b.Start() && Pause(b));
  CopyText("after the restart");  // what B imported before comes not again
  EXPECT_TRUE(Listed(b, {"after the restart", "copied on A", "while B was off"}));
  // The folder goes away (a network drive gone) while a scanner holds Pelmor.OUT: the first text
  // waits in memory, then both in Pelmor.OUT, in order; the tray tip counts them.
  const std::string there = root + "同期 フォルダ", away = root + "away";
  ASSERT_TRUE(MoveFileA(there.c_str(), away.c_str()));
  HANDLE scanner = Hold(a.File("Pelmor.OUT"));
  CopyText("away 1");
  EXPECT_TRUE(WaitUntil([&] { return TrayTips().find("ペルモア 同期待ち 1件|") != std::string::npos; }));
  CloseHandle(scanner);
  CopyText("away 2");
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(a.File("Pelmor.OUT")) == RecordBytes({"away 1", "away 2"}); }));
  EXPECT_TRUE(WaitUntil([&] { return TrayTips().find("ペルモア 同期待ち 2件|") != std::string::npos; }));
  ASSERT_TRUE(MoveFileA(away.c_str(), there.c_str()));
  EXPECT_TRUE(Listed(b, {"away 2", "away 1", "after the restart", "copied on A", "while B was off"}));
  EXPECT_TRUE(WaitUntil([&] { return TrayTips().find("同期待ち") == std::string::npos; }));
  EXPECT_FALSE(FileThere(a.File("Pelmor.OUT")));
  // A text still held in memory when A quits goes out with A's last flush.
  scanner = Hold(a.File("Pelmor.OUT"));
  CopyText("at quit");
  EXPECT_TRUE(WaitUntil([&] { return TrayTips().find("ペルモア 同期待ち 1件|") != std::string::npos; }));
  CloseHandle(scanner);
  EXPECT_EQ(a.Quit(), 0u);
  EXPECT_TRUE(Listed(b, {"at quit", "away 2", "away 1", "after the restart", "copied on A", "while B was off"}));
}

TEST_F(SyncTest, APeerFileHalfSyncedOrDamagedGivesItsWholeRecordsIsNeverWrittenAndGivesTheRestOnceWhole) {
  auto texts = [](const std::string& peer) { return Rows{peer + "1", peer + "2", peer + "3"}; };
  std::string cut = RecordBytes(texts("c")), damaged = RecordBytes(texts("d"));
  cut.pop_back();                                  // half synced: the last record one byte short
  damaged.replace(10, 4, Int32Bytes(INT32_MAX));  // the second record's length runs far past the end
  const std::pair<std::string, std::string> files[] = {{"c", cut}, {"d", damaged}, {"e", RecordBytes(-1, texts("e"))}};
  for (const auto& [peer, bytes] : files) Deliver(std::wstring(peer.begin(), peer.end()), bytes);
  Deliver(L"\uD55C\uAD6D", RecordBytes({"from Korea"}));  // a folder the code page cannot name
  Join(b, "B", "");  // a [SYNC] written by hand, without an ID: one is made and kept
  ASSERT_TRUE(b.Start());
  EXPECT_TRUE(Listed(b, {"d1", "c2", "c1", "from Korea"}));
  for (const auto& [peer, bytes] : files) EXPECT_EQ(ReadFileBytes(folder + peer + "\\" + DayFile()), bytes) << peer;
  for (const auto& [peer, bytes] : files) Deliver(std::wstring(peer.begin(), peer.end()), RecordBytes(texts(peer)));
  EXPECT_TRUE(Listed(b, {"e3", "e2", "e1", "d3", "d2", "c3", "d1", "c2", "c1", "from Korea"}));
  EXPECT_EQ(b.Ini("SYNC", "ID").size(), 32u);
  EXPECT_EQ(b.Ini("SYNC", "KEEPDAYS"), "(none)");  // only the ID was added
  EXPECT_EQ(ReadFileBytes(folder + "B\\owner.id"), b.Ini("SYNC", "ID"));
}

TEST_F(SyncTest, APcSetToAnothersNameWritesNothingIntoItsFolderAndSyncsOnceTheNameIsChangedOnTheOptionsPage) {
  Deliver(L"A", RecordBytes({"from A"}));
  const std::string ownerOfA = folder + "A\\owner.id", dayOfA = folder + "A\\" + DayFile();
  WriteFileBytes(ownerOfA, "id-a");
  Join(b, "A", "id-b");
  ASSERT_TRUE(b.Start());
  EXPECT_EQ(b.Answer("ｴﾗｰ", IDOK),
            "同期フォルダで「A」という名前は別のPCが使っています。このPCの同期を止めました。環境設定の「同期」ページで名前を変えてください。");
  CopyText("copied on B");
  ASSERT_TRUE(Listed(b, {"copied on B"}) && b.Flush());
  EXPECT_EQ(ReadFileBytes(ownerOfA) + ReadFileBytes(dayOfA), "id-a" + RecordBytes({"from A"}));
  ASSERT_TRUE(SetSyncPage(b, {.name = "B"}));
  EXPECT_TRUE(Listed(b, {"from A", "copied on B"}));
  EXPECT_EQ(ReadFileBytes(folder + "B\\owner.id") + ReadFileBytes(ownerOfA), "id-bid-a");
}

TEST_F(SyncTest, TheOptionsPageRefusesWhatItCannotUseChangingNoFileAndPutsWhatItTakesIntoEffect) {
  WriteFileBytes(a.File("Pelmor.SYN"), "[IMPORTED]\r\nP\\20261208.PLM=1\r\n");  // left by an earlier sync
  ASSERT_TRUE(a.Start());
  HWND sheet = OpenSheet(a), page = GoToPage(sheet, 4);
  ASSERT_NE(page, nullptr);
  const std::string name = WindowText(GetDlgItem(page, 1020)), good = folder + "新しい 同期";
  EXPECT_EQ(WindowText(GetDlgItem(page, 1021)), "30");
  EXPECT_FALSE(name.empty());  // the computer's
  CreateDirectoryA((root + "G").c_str(), nullptr);
  WriteFileBytes(root + "G\\" + name, "");  // this PC's folder cannot be made there
  WriteFileBytes(root + "a file", "");
  const auto before = FilesUnder(root);
  SetDlgItemTextA(page, 1021, "7");
  for (const std::string& refused : {root + "G", root + "a file\\同期", std::string(".\\同期")})
    EXPECT_EQ(Refusal(a, sheet, page, {.dir = refused.c_str()}), "同期フォルダ「" + refused + "」を作成または書き込みできません。");
  ASSERT_TRUE(CloseSheet(a, sheet, PSBTN_CANCEL));
  EXPECT_EQ(FilesUnder(root), before);
  // OK makes a new folder with this PC's in it; then a change of the days alone takes effect
  // too: this PC's day file of five days ago goes.
  const std::string own = good + "\\" + name + "\\";
  ASSERT_TRUE(SetSyncPage(a, {.dir = good.c_str(), .days = "7"}));
  WriteFileBytes(own + DayFile(-5), RecordBytes({"5 days ago"}));
  ASSERT_TRUE(SetSyncPage(a, {.days = "3"}));
  EXPECT_EQ(a.Ini("SYNC", "DIR") + "|" + a.Ini("SYNC", "NAME") + "|" + a.Ini("SYNC", "KEEPDAYS"), good + "|" + name + "|3");
  EXPECT_EQ(a.Ini("SYNC", "ID").size(), 32u);
  EXPECT_EQ(ReadFileBytes(own + "owner.id"), a.Ini("SYNC", "ID"));
  EXPECT_FALSE(FileThere(own + DayFile(-5)));
}

TEST_F(SyncTest, WithOnePassphraseTwoPcsExchangeOnlySealedTextsAndOneWithoutItWritesNothingUntilItIsGiven) {
  const char kPass[] = "合言葉は Pelmor";
  const std::wstring kKorean = L"A 한국어 3";  // in no gtest macro: it would name it in the code page
  Join(a, "A", "id-a");
  Join(b, "B", "id-b");
  ASSERT_TRUE(a.Start() && SetSyncPage(a, Twice(kPass)));  // the first PC: Pelmor.KEY made
  ASSERT_TRUE(FileThere(folder + "Pelmor.KEY") && b.Start() && Pause(a));
  EXPECT_EQ(b.Answer("ｴﾗｰ", IDOK), kAskedForPassphrase);
  CopyText("B 秘密 1");  // B without the passphrase keeps it waiting, and asks no more
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(b.File("Pelmor.OUT")) == RecordBytes({"B 秘密 1"}); }));
  EXPECT_TRUE(b.Flush() && !b.Dialog("ｴﾗｰ", 0) && FilesUnder(folder + "B\\").empty());
  HWND sheet = OpenSheet(b), page = GoToPage(sheet, 4);
  ASSERT_TRUE(page && Pause(a) && Pause(b));  // from now on A captures, and B only imports
  const auto before = FilesUnder(root);
  EXPECT_EQ(Refusal(b, sheet, page, Twice("合言葉は pelmor")), "合言葉が同期フォルダの合言葉と違います。");
  EXPECT_EQ(Refusal(b, sheet, page, {.pass = kPass, .confirm = "合言葉は Pelmor "}), "合言葉と確認が一致しません。");
  EXPECT_EQ(WindowText(GetDlgItem(page, 1022)) + WindowText(GetDlgItem(page, 1023)) + b.Ini("SYNC", "KEY"), "(none)");
  EXPECT_EQ(FilesUnder(root), before);
  Fill(page, Twice(kPass));
  ASSERT_TRUE(CloseSheet(b, sheet, PSBTN_OK));
  EXPECT_TRUE(Listed(a, {"B 秘密 1"}));
  CopyText("A 秘密 2");
  ASSERT_TRUE(Listed(a, {"A 秘密 2", "B 秘密 1"}));
  CopyUnicode(kKorean);
  EXPECT_TRUE(WaitUntil([&] { return b.RowsW(kHistory) == std::vector<std::wstring>{kKorean, L"A 秘密 2", L"B 秘密 1"}; }));
  EXPECT_TRUE(a.Quit() == 0 && b.Quit() == 0);
  WritePrivateProfileStringA("SYNC", "NAME", "a", a.File("Pelmor.ini").c_str());  // its folder stays A
  EXPECT_TRUE(a.Start() && b.Start() && Pause(b));  // asked nothing again
  CopyText("A 4 after a restart");
  EXPECT_TRUE(Listed(b, {"A 4 after a restart", "A ??? 3", "A 秘密 2", "B 秘密 1"}) && !a.Dialog("ｴﾗｰ", 0) && !b.Dialog("ｴﾗｰ", 0));
  sheet = OpenSheet(a), page = GoToPage(sheet, 4);  // another folder, with no passphrase of its own yet
  const std::string other = root + "other";
  EXPECT_EQ(Refusal(a, sheet, page, {.dir = other.c_str()}), "この同期フォルダの合言葉を入力してください。");
  EXPECT_TRUE(CloseSheet(a, sheet, PSBTN_CANCEL) && !FileThere(other));
  EXPECT_TRUE(a.Quit() == 0 && b.Quit() == 0);  // every byte of the sync folder, and the data folders too
  EXPECT_EQ(FilesHolding(FilesUnder(folder), {L"B 秘密 1", L"A 秘密 2", kKorean, L"A 4 after"}), "");
  EXPECT_EQ(FilesHolding(FilesUnder(root), {L"合言葉は Pelmor"}), "");
}

// Through a real engine: tests/sync/with_syncthing.py runs two Syncthing instances that keep
// the folders PELMOR_SYNC_A and PELMOR_SYNC_B in step (Linux paths, reached through Z:).
using SyncEngine = SyncTest;

TEST_F(SyncEngine, ATextCopiedOnOnePcReachesTheOtherThroughSyncthing) {
  const char *onA = getenv("PELMOR_SYNC_A"), *onB = getenv("PELMOR_SYNC_B");
  if (!onA || !onB) GTEST_SKIP() << "runs beside two Syncthing instances (tests/sync/with_syncthing.py)";
  Join(a, "A", "id-a", ZPath(onA));
  Join(b, "B", "id-b", ZPath(onB));
  ASSERT_TRUE(a.Start() && SetSyncPage(a, Twice("合言葉 through Syncthing")));  // A makes Pelmor.KEY
  ASSERT_TRUE(WaitUntil([&] { return FileThere(ZPath(onB) + "\\Pelmor.KEY"); }, 30000) && b.Start());
  EXPECT_EQ(b.Answer("ｴﾗｰ", IDOK), kAskedForPassphrase);
  ASSERT_TRUE(SetSyncPage(b, Twice("合言葉 through Syncthing")) && Pause(b));
  CopyText("同期 through Syncthing");
  EXPECT_TRUE(Listed(b, {"同期 through Syncthing"}, 30000));
}

}  // namespace
