// Start-up, single instance, settings and the history files across runs.
#include "harness.h"

namespace {

using Startup = PelmorTest;

TEST_F(Startup, TheWindowComesOnTheScreenAndBackWhereItWasDragged) {
  RECT left, screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, inside;
  auto onScreen = [&] {
    return GetWindowRect(p.main, &left) && IntersectRect(&inside, &left, &screen) &&
           EqualRect(&inside, &left) && left.right - left.left == 300;
  };
  Start("[WINDOW]\r\nFLAG=1\r\nX=6000\r\nY=5000\r\n", {});  // saved on a monitor since unplugged
  EXPECT_TRUE(onScreen()) << left.left << "," << left.top;
  ShowListOverTarget();
  ASSERT_TRUE(DragByCaption(p, -60, -30, 3));
  GetWindowRect(p.main, &left);
  ASSERT_TRUE(DragByCaption(p, 90, 60, 2, true));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(p.Ini("WINDOW", "X") + "," + p.Ini("WINDOW", "Y"),
            std::to_string(left.left) + "," + std::to_string(left.top));
  ASSERT_TRUE(p.Start());
  ShowListOverTarget();
  RECT back;
  GetWindowRect(p.main, &back);
  EXPECT_TRUE(EqualRect(&back, &left)) << back.left << "," << back.top;
  ASSERT_TRUE(target.Focus() && p.Gone());
  // The monitor it was on goes away while it is hidden.
  SetWindowPos(p.main, nullptr, 6000, 5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(p.ShowList());
  EXPECT_TRUE(onScreen()) << left.left << "," << left.top;
}

TEST_F(Startup, ASecondCopyOnTheSameFolderEndsAtOnceButOtherFoldersRunKeepingTheirFilesInside) {
  ASSERT_TRUE(p.Start());
  Pelmor second(p.dir);
  ASSERT_TRUE(second.Launch());
  EXPECT_EQ(second.WaitExit(), 0u);
  EXPECT_EQ(p.WaitExit(0), STILL_ACTIVE);
  // Also two folders whose names differ only in a trail byte, 0x5C against 0x40 (表 is 0x95 0x5C,
  // 鼻 0x95 0x40), run a copy each; the mutex names of other folders are the native table's.
  Pelmor others[] = {Pelmor(p.File("表\\")), Pelmor(p.File("鼻\\"))};
  for (Pelmor& other : others) {
    ASSERT_TRUE(CreateDirectoryA(other.dir.c_str(), nullptr)) << other.dir;
    WriteFileBytes(other.File("AAList.txt"), "aa\n");
    EXPECT_TRUE(other.Start() && other.Child(kAA)) << other.dir;
  }
  for (Pelmor& other : others) {
    EXPECT_EQ(other.Quit(), 0u) << other.dir;
    for (const char* name : {"Pelmor.WK", "Pelmor.DAT", "Pelmor.SAV", "Pelmor.ini"})
      EXPECT_TRUE(FileThere(other.File(name))) << other.dir << name;
  }
  EXPECT_FALSE(FileThere(p.File("表Pelmor.WK")));  // not beside the folder
}

TEST_F(Startup, AWorkFileHeldByAnotherProgramEndsItSilentlyAndTouchesNothing) {
  const std::string ini = "[OPTION]\r\nADDFLG=0\r\n", saved = RecordBytes({"saved"});
  WriteFileBytes(p.File("Pelmor.ini"), ini);
  for (const char* name : {"Pelmor.DAT", "Pelmor.DAT.BAK", "Pelmor.WK"}) WriteFileBytes(p.File(name), saved);
  HANDLE held = CreateFileA(p.File("Pelmor.WK").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_TRUE(p.Launch());
  EXPECT_EQ(p.WaitExit(), 0u);  // a message box would have kept it running
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.ini")) + ReadFileBytes(p.File("Pelmor.DAT")) +
                ReadFileBytes(p.File("Pelmor.DAT.BAK")),
            ini + saved + saved);
}

TEST_F(Startup, AfterACancelledEndOfSessionTheBackupStillHoldsThePreviousExit) {
  WriteFileBytes(p.File("Pelmor.DAT"), RecordBytes({"old"}));
  ASSERT_TRUE(p.Start());
  CopyText("before log-off");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).front() == "before log-off"; }));
  EXPECT_EQ(Ask(p.main, WM_QUERYENDSESSION), 1);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), RecordBytes({"old", "before log-off"}));
  EXPECT_EQ(p.Ini("OPTION", "ONHOTKEY"), "49");
  Ask(p.main, WM_ENDSESSION, FALSE);  // another program vetoed the log-off
  CopyText("after the veto");
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).front() == "after the veto"; }));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), RecordBytes({"old", "before log-off", "after the veto"}));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT.BAK")), RecordBytes({"old"}));
}

TEST_F(Startup, ADamagedFavoritesFileIsKeptWholeBesideItBeforeItsRepairAndTheTrayIconSaysSo) {
  std::string damaged = RecordBytes({"a", "b", "c"});
  damaged[9] = '\x7f';  // the second record's length: the count still names the records behind it
  WriteFileBytes(p.File("Pelmor.SAV"), damaged);
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.Rows(kFavorites), Rows{"a"});
  WIN32_FIND_DATAA copy;  // its name holds the time of the repair
  ASSERT_TRUE(FindClose(FindFirstFileA(p.File("Pelmor.SAV.*.BAD").c_str(), &copy)));
  EXPECT_EQ(ReadFileBytes(p.File(copy.cFileName)), damaged);
  const std::string balloon = "Pelmor.SAV が壊れていたため、読める記録だけにしました。元のファイルは " +
                              std::string(copy.cFileName) + " として残してあります。|";
  EXPECT_TRUE(WaitUntil([&] { return TrayTips().find(balloon) != std::string::npos; })) << TrayTips();
}

TEST_F(Startup, ADataFolderTooLongIsRefusedWithAMessage) {
  // 250 characters with the backslash: the folder itself is usable, but with
  // "Pelmor.DAT.BAK" behind it a path would pass 259 characters.
  p.dir += std::string(249 - p.dir.size(), 'd') + "\\";
  CreateDirectoryA(p.dir.c_str(), nullptr);
  ASSERT_TRUE(p.Launch());
  EXPECT_EQ(p.Answer("ｴﾗｰ", IDOK),
            "データフォルダのパスが長すぎるため起動できません。\nもっと短いパスのフォルダから起動してください。");
  EXPECT_EQ(p.WaitExit(), 0u);
  EXPECT_FALSE(FileThere(p.File("Pelmor.WK")));  // 259 characters: the longest name that fits
}

}  // namespace
