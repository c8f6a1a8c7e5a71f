// Start-up, single instance, settings and the history files across runs.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

std::string Ini(const Pelmor& p, const char* section, const char* key) {
  char value[64] = {};
  GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, p.File("Pelmor.ini").c_str());
  return value;
}

bool HasRow(const Pelmor& p, const std::string& text) {
  auto rows = p.Rows(kHistory);
  return std::find(rows.begin(), rows.end(), text) != rows.end();
}

TEST(Startup, FirstStartThenTwoOrderlyExitsRotateTheHistory) {
  Pelmor p(MakeDataDir("first-start"));
  ASSERT_TRUE(p.Start());
  EXPECT_FALSE(p.Shown());
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.SAV")), Records({}));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), Records({}));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), Records({}));
  EXPECT_FALSE(FileThere(p.File("Pelmor.DAT.BAK")));

  ASSERT_TRUE(p.Start());
  CopyText("first copy");
  ASSERT_TRUE(WaitUntil([&] { return HasRow(p, "first copy"); }));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), Records({"first copy"}));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT.BAK")), Records({}));
  EXPECT_FALSE(FileThere(p.File("Temp.DAT")));
}

TEST(Startup, SettingsDefaultsAreWrittenAtQuitWithoutATextSection) {
  Pelmor p(MakeDataDir("settings-defaults"));
  ASSERT_TRUE(p.Start());
  ASSERT_EQ(p.Quit(), 0u);
  const char* keys[][3] = {
      {"WINDOW", "FLAG", "0"},      {"WINDOW", "TAB", "0"},         {"WINDOW", "WIDTH", "300"},
      {"WINDOW", "HEIGHT", "300"},  {"OPTION", "BOOTINIT", "0"},    {"OPTION", "SELINDEX", "1"},
      {"OPTION", "ADDFLG", "1"},    {"OPTION", "OVERLAP", "0"},     {"OPTION", "ESCKEY", "1"},
      {"OPTION", "HOTKEY", "1"},    {"OPTION", "ONHOTALT", "1"},    {"OPTION", "ONHOTKEY", "49"},
      {"OPTION", "OFFHOTKEY", "50"}, {"OPTION", "MENUHOTKEY", "48"}, {"OPTION", "MENUHOTSFT", "0"}};
  for (auto& k : keys) EXPECT_EQ(Ini(p, k[0], k[1]), k[2]) << k[1];
  EXPECT_EQ(Ini(p, "TEXT", "PATH"), "(none)");
}

TEST(Startup, StoredGeometryIsUsedOnlyWithFlagAndNegativeCoordinatesRoundTrip) {
  Pelmor p(MakeDataDir("geometry"));
  WriteFileBytes(p.File("Pelmor.ini"),
                 "[WINDOW]\r\nFLAG=1\r\nX=-40\r\nY=-25\r\nWIDTH=420\r\nHEIGHT=330\r\n[TEXT]\r\nPATH=ed.exe\r\n");
  ASSERT_TRUE(p.Start());
  RECT r;
  GetWindowRect(p.main, &r);
  EXPECT_EQ(r.left, -40);
  EXPECT_EQ(r.top, -25);
  EXPECT_EQ(r.right - r.left, 420);
  ASSERT_EQ(p.Quit(), 0u);
  EXPECT_EQ(Ini(p, "WINDOW", "X"), "-40");
  EXPECT_EQ(Ini(p, "WINDOW", "Y"), "-25");
  EXPECT_EQ(Ini(p, "WINDOW", "HEIGHT"), "330");
  EXPECT_EQ(Ini(p, "TEXT", "PATH"), "ed.exe");

  WriteFileBytes(p.File("Pelmor.ini"), "[WINDOW]\r\nFLAG=0\r\nX=200\r\nY=150\r\nWIDTH=420\r\nHEIGHT=330\r\n");
  ASSERT_TRUE(p.Start());
  GetWindowRect(p.main, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right - r.left, 300);
  ASSERT_EQ(p.Quit(), 0u);
  EXPECT_EQ(Ini(p, "WINDOW", "X"), "0");
  EXPECT_EQ(Ini(p, "WINDOW", "WIDTH"), "300");
}

TEST(Startup, SecondCopyOnTheSameDirectoryEndsAtOnceButOtherDirectoriesRun) {
  Pelmor first(MakeDataDir("instance-a"));
  ASSERT_TRUE(first.Start());
  Pelmor second(first.dir);
  ASSERT_TRUE(second.Launch());
  EXPECT_EQ(second.WaitExit(), 0u);
  EXPECT_EQ(FindTopWindow(second.process.dwProcessId, "Pelmor"), nullptr);
  Pelmor other(MakeDataDir("instance-b"));
  ASSERT_TRUE(other.Start());
  EXPECT_EQ(first.WaitExit(0), STILL_ACTIVE);
  EXPECT_EQ(other.Quit(), 0u);
  EXPECT_EQ(first.Quit(), 0u);
}

TEST(Startup, WorkFileHeldByAnotherProgramEndsSilentlyAndTouchesNothing) {
  Pelmor p(MakeDataDir("locked"));
  const std::string ini = "[OPTION]\r\nADDFLG=0\r\n";
  WriteFileBytes(p.File("Pelmor.ini"), ini);
  WriteFileBytes(p.File("Pelmor.DAT"), Records({"saved"}));
  WriteFileBytes(p.File("Pelmor.DAT.BAK"), Records({"older"}));
  WriteFileBytes(p.File("Pelmor.WK"), Records({"saved"}));
  HANDLE held = CreateFileA(p.File("Pelmor.WK").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(p.Launch());
  EXPECT_EQ(p.WaitExit(), 0u);
  EXPECT_EQ(WaitForDialog(p.process.dwProcessId, nullptr, 300), nullptr);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.ini")), ini);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), Records({"saved"}));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT.BAK")), Records({"older"}));
}

TEST(Startup, ShortWorkFileBecomesFourZeroBytes) {
  Pelmor p(MakeDataDir("short-work-file"));
  WriteFileBytes(p.File("Pelmor.WK"), "\x05\x06");
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), Records({}));
}

TEST(Startup, CapturesOfAKilledRunAreThereAtTheNextStart) {
  Pelmor p(MakeDataDir("crash"));
  WriteFileBytes(p.File("Pelmor.DAT"), Records({"from last exit"}));
  ASSERT_TRUE(p.Start());
  CopyText("copied before the crash");
  ASSERT_TRUE(WaitUntil([&] { return HasRow(p, "copied before the crash"); }));
  p.Kill();
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.Rows(kHistory), (std::vector<std::string>{"copied before the crash", "from last exit"}));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), Records({"from last exit", "copied before the crash"}));
}

TEST(Startup, AfterACancelledEndOfSessionTheBackupStillHoldsThePreviousExit) {
  Pelmor p(MakeDataDir("end-session"));
  WriteFileBytes(p.File("Pelmor.DAT"), Records({"old"}));
  ASSERT_TRUE(p.Start());
  CopyText("before log-off");
  ASSERT_TRUE(WaitUntil([&] { return HasRow(p, "before log-off"); }));
  EXPECT_EQ(SendMessageA(p.main, WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), Records({"old", "before log-off"}));
  EXPECT_EQ(Ini(p, "OPTION", "ONHOTKEY"), "49");
  SendMessageA(p.main, WM_ENDSESSION, FALSE, 0);  // another program vetoed the log-off
  CopyText("after the veto");
  ASSERT_TRUE(WaitUntil([&] { return HasRow(p, "after the veto"); }));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), Records({"old", "before log-off", "after the veto"}));
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT.BAK")), Records({"old"}));
}

TEST(Startup, AFolderNamedWithABackslashTrailByteKeepsItsFilesInside) {
  std::string parent = MakeDataDir("trail-byte");
  Pelmor p(parent + "表\\");  // 0x95 0x5C
  CreateDirectoryA(p.dir.c_str(), nullptr);
  WriteFileBytes(p.File("AAList.txt"), "aa\n");
  ASSERT_TRUE(p.Start());
  EXPECT_NE(p.Child(kAA), nullptr);
  EXPECT_EQ(p.Quit(), 0u);
  for (const char* name : {"Pelmor.WK", "Pelmor.DAT", "Pelmor.SAV", "Pelmor.ini"}) EXPECT_TRUE(FileThere(p.File(name))) << name;
  EXPECT_FALSE(FileThere(parent + "表Pelmor.WK"));
}

TEST(Startup, MouseMessagesToTheMainWindowAreSwallowed) {
  Pelmor p(MakeDataDir("mouse"));
  ASSERT_TRUE(p.Start());
  for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}) EXPECT_EQ(SendMessageA(p.main, m, 0, 0), 0);
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Startup, DataDirectoryTooLongIsRefusedWithAMessage) {
  // 250 characters with the backslash: the folder itself is usable, but with
  // "Pelmor.DAT.BAK" behind it a path would pass 259 characters.
  std::string dir = MakeDataDir("long");
  while (dir.size() < 250) {
    size_t left = 250 - dir.size();
    dir += std::string(left > 22 ? 10 : left - 1, 'd') + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
  }
  ASSERT_EQ(dir.size(), 250u);
  Pelmor p(dir);
  ASSERT_TRUE(p.Launch());
  EXPECT_EQ(p.Answer("ｴﾗｰ", IDOK), "データフォルダのパスが長すぎるため起動できません。\nもっと短いパスのフォルダから起動してください。");
  EXPECT_EQ(p.WaitExit(), 0u);
  EXPECT_FALSE(FileThere(p.File("Pelmor.WK")));  // 259 characters: the longest name that fits
}

}  // namespace
