// The options sheet, About, help, the editor and the start-up shortcut.
#include <gtest/gtest.h>

#include "harness.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

std::string IniValue(const Pelmor& p, const char* section, const char* key) {
  char value[300] = {};
  GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, p.File("Pelmor.ini").c_str());
  return value;
}

HWND OpenSheet(const Pelmor& p) {
  p.Command(40002);
  return WaitForDialog(p.process.dwProcessId, "環境設定");
}

// The dialog of the current page.
HWND Page(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

void GoToPage(HWND sheet, int index) {
  PostMessageA(sheet, PSM_SETCURSEL, index, 0);
  WaitUntil([&] { return SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(Page(sheet)), 0) == index; });
}

bool HotKeyFree(UINT mods, UINT key) {
  bool free = RegisterHotKey(nullptr, 77, mods, key) != FALSE;
  if (free) UnregisterHotKey(nullptr, 77);
  return free;
}

TEST(Options, HotKeyPageShowsTheSettingsAndOkRegistersTheNewCombination) {
  Pelmor p(MakeDataDir("options-hotkeys"));
  WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nMENUHOTKEY=0\r\n");
  ASSERT_TRUE(p.Start());
  HWND sheet = OpenSheet(p);
  ASSERT_NE(sheet, nullptr);
  SaveScreenshot(sheet, "options-general");
  GoToPage(sheet, 1);
  HWND page = Page(sheet);
  SaveScreenshot(sheet, "options-hotkeys");
  EXPECT_EQ(SendDlgItemMessageA(page, 1008, HKM_GETHOTKEY, 0, 0), 0x431);
  EXPECT_EQ(SendDlgItemMessageA(page, 1009, HKM_GETHOTKEY, 0, 0), 0x432);
  EXPECT_EQ(SendDlgItemMessageA(page, 1011, HKM_GETHOTKEY, 0, 0), 0);
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '1'));  // unregistered while the page is open
  SendDlgItemMessageA(page, 1008, HKM_SETHOTKEY, 0x200 | 'Q', 0);  // Ctrl+Q
  SendDlgItemMessageA(page, 1009, HKM_SETHOTKEY, 0, 0);            // cleared
  SendDlgItemMessageA(page, 1011, HKM_SETHOTKEY, 0x500, 0);        // modifiers only
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
  p.Idle();
  EXPECT_FALSE(HotKeyFree(MOD_CONTROL, 'Q'));
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '1'));
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '2'));
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(IniValue(p, "OPTION", "ONHOTCTL"), "1");
  EXPECT_EQ(IniValue(p, "OPTION", "ONHOTALT"), "0");
  EXPECT_EQ(IniValue(p, "OPTION", "ONHOTKEY"), "81");
  for (const char* key : {"OFFHOTALT", "OFFHOTCTL", "OFFHOTSFT", "OFFHOTKEY"})
    EXPECT_EQ(IniValue(p, "OPTION", key), "0") << key;
  EXPECT_EQ(IniValue(p, "OPTION", "MENUHOTALT"), "1");
  EXPECT_EQ(IniValue(p, "OPTION", "MENUHOTSFT"), "1");
  EXPECT_EQ(IniValue(p, "OPTION", "MENUHOTKEY"), "0");
}

TEST(Options, CancelFromAnyPageLeavesExactlyTheSettingsHotKeys) {
  Pelmor p(MakeDataDir("options-cancel"));
  ASSERT_TRUE(p.Start());
  for (int last : {0, 1, 2}) {
    HWND sheet = OpenSheet(p);
    ASSERT_NE(sheet, nullptr);
    GoToPage(sheet, 1);  // the hot key page unregisters while it is open
    GoToPage(sheet, last);
    if (last == 2) SaveScreenshot(sheet, "options-editor");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
  p.Idle();
    EXPECT_FALSE(HotKeyFree(MOD_ALT, '1')) << "cancel on page " << last;
    EXPECT_FALSE(HotKeyFree(MOD_ALT, '2')) << "cancel on page " << last;
    EXPECT_FALSE(HotKeyFree(MOD_ALT, '0')) << "cancel on page " << last;
  }
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Options, OldestFirstReversesBothListsAtOnce) {
  Pelmor p(MakeDataDir("options-order"));
  WriteFileBytes(p.File("Pelmor.DAT"), Records({"a", "b"}));
  WriteFileBytes(p.File("Pelmor.SAV"), Records({"f1", "f2"}));
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.Rows(kHistory), (std::vector<std::string>{"b", "a"}));
  HWND sheet = OpenSheet(p);
  ASSERT_NE(sheet, nullptr);
  HWND page = Page(sheet);
  EXPECT_EQ(IsDlgButtonChecked(page, 1004), BST_CHECKED);
  SendMessageA(GetDlgItem(page, 1005), BM_CLICK, 0, 0);
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
  p.Idle();
  EXPECT_EQ(p.Rows(kHistory), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(p.Rows(kFavorites), (std::vector<std::string>{"f1", "f2"}));
  EXPECT_EQ(p.Selected(kHistory), std::vector<int>{0});
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(IniValue(p, "OPTION", "ADDFLG"), "0");
}

TEST(Options, EditorPathIsStoredAtOnceAndUsedToStartTheEditor) {
  Pelmor p(MakeDataDir("editor"));
  WriteFileBytes(p.File("AAList.txt"), "a\n");
  std::string editor = ProgramDir() + "\\fake_editor.exe";
  ASSERT_TRUE(p.Start());
  HWND sheet = OpenSheet(p);
  ASSERT_NE(sheet, nullptr);
  GoToPage(sheet, 2);
  SetDlgItemTextA(Page(sheet), 1014, editor.c_str());
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
  p.Idle();
  EXPECT_EQ(IniValue(p, "TEXT", "PATH"), editor);
  p.Command(40009);
  ASSERT_TRUE(WaitUntil([&] { return FileThere(p.File("editor-args.txt")); }));
  ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(p.File("editor-args.txt")).find("AAList.txt") != std::string::npos; }));
  EXPECT_NE(ReadFileBytes(p.File("editor-args.txt")).find(p.dir + "AAList.txt"), std::string::npos);

  // A path with spaces is passed as it stands, unquoted.
  std::string spaced = p.dir + "my tools\\";
  CreateDirectoryA(spaced.c_str(), nullptr);
  CopyFileA(editor.c_str(), (spaced + "fake editor.exe").c_str(), FALSE);
  DeleteFileA(p.File("editor-args.txt").c_str());
  WritePrivateProfileStringA("TEXT", "PATH", (spaced + "fake editor.exe").c_str(), p.File("Pelmor.ini").c_str());
  p.Command(40009);
  ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(p.File("editor-args.txt")).find("AAList.txt") != std::string::npos; }));

  // An empty path means Notepad.
  WritePrivateProfileStringA("TEXT", "PATH", "", p.File("Pelmor.ini").c_str());
  p.Command(40009);
  HWND notepad = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (notepad = FindTopWindow(0, "Notepad")) != nullptr; }, 15000));
  DWORD notepadPid = 0;
  GetWindowThreadProcessId(notepad, &notepadPid);
  HANDLE notepadProcess = OpenProcess(PROCESS_TERMINATE, FALSE, notepadPid);
  TerminateProcess(notepadProcess, 0);
  CloseHandle(notepadProcess);

  WritePrivateProfileStringA("TEXT", "PATH", "Z:\\no such\\editor.exe", p.File("Pelmor.ini").c_str());
  p.Command(40009);
  EXPECT_EQ(p.Answer("ｴﾃﾞｨﾀ起動ｴﾗｰ", IDOK), "ｴﾃﾞｨﾀが起動できません。");
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Options, AboutClosesWithOkAndEscapeAndMissingHelpIsReported) {
  Pelmor p(MakeDataDir("about"));
  ASSERT_TRUE(p.Start());
  for (int button : {IDOK, IDCANCEL}) {
    p.Command(40001);
    HWND about = WaitForDialog(p.process.dwProcessId, "ﾊﾞｰｼﾞｮﾝ表示");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(about, 1001)), "Ver1.13");
    if (button == IDOK) SaveScreenshot(about, "about");
    PostMessageA(about, WM_COMMAND, button, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  }
  p.Command(40011);
  EXPECT_EQ(p.Answer("ｴﾗｰ", IDOK), "ﾍﾙﾌﾟﾌｧｲﾙが存在しません。");
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Options, HelpOpensTheHelpWindow) {
  Pelmor p(MakeDataDir("help"));
  CopyFileA((ProgramDir() + "\\Pelmor.chm").c_str(), p.File("Pelmor.chm").c_str(), FALSE);
  ASSERT_TRUE(p.Start());
  p.Command(40011);
  HWND help = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (help = FindTopWindow(p.process.dwProcessId, nullptr, "Pelmor ヘルプ")) != nullptr; }, 15000));
  EXPECT_EQ(WaitForDialog(p.process.dwProcessId, "ｴﾗｰ", 200), nullptr);
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Options, StartupShortcutIsCreatedAndOverwritten) {
  Pelmor p(MakeDataDir("startup"));
  ASSERT_TRUE(p.Start());
  for (int i = 0; i < 2; ++i) {
    p.Command(40012);
    EXPECT_EQ(p.Answer("登録完了通知", IDOK, 15000), "Pelmor(ペルモア)をスタートアップへ登録しました。");
  }
  char folder[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE);
  std::string link = ReadFileBytes(std::string(folder) + "\\ペルモア.lnk");
  EXPECT_NE(link.find("Pelmor.exe"), std::string::npos);
  EXPECT_EQ(p.Quit(), 0u);
}

}  // namespace
