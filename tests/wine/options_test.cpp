// The options sheet, About, help, the editor and the start-up shortcut.
#include "harness.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

HWND OpenSheet(const Pelmor& p) {
  p.Command(40002);
  return p.Dialog("環境設定");
}

// The dialog of the sheet's current page.
HWND Page(HWND sheet) { return reinterpret_cast<HWND>(Ask(sheet, PSM_GETCURRENTPAGEHWND)); }

void GoToPage(HWND sheet, int index) {
  PostMessageA(sheet, PSM_SETCURSEL, index, 0);
  WaitUntil([&] { return Ask(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(Page(sheet))) == index; });
}

// OK or Cancel, and the sheet is gone with everything Pelmor does after it.
bool CloseSheet(const Pelmor& p, HWND sheet, int button) {
  PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);  // a sent OK can leave the sheet stuck
  bool closed = WaitUntil([&] { return !IsWindow(sheet); });
  p.Idle();
  return closed;
}

TEST(Options, HotKeyPageShowsTheSettingsAndOkRegistersTheNewCombination) {
  Pelmor p(MakeDataDir("options-hotkeys"));
  WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nMENUHOTKEY=0\r\n");
  ASSERT_TRUE(p.Start());
  HWND sheet = OpenSheet(p);
  ASSERT_NE(sheet, nullptr);
  GoToPage(sheet, 1);
  HWND page = Page(sheet);
  EXPECT_EQ(Ask(GetDlgItem(page, 1008), HKM_GETHOTKEY), 0x431);
  EXPECT_EQ(Ask(GetDlgItem(page, 1009), HKM_GETHOTKEY), 0x432);
  EXPECT_EQ(Ask(GetDlgItem(page, 1011), HKM_GETHOTKEY), 0);
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '1'));  // unregistered while the page is open
  Ask(GetDlgItem(page, 1008), HKM_SETHOTKEY, 0x200 | 'Q');  // Ctrl+Q
  Ask(GetDlgItem(page, 1009), HKM_SETHOTKEY, 0);            // cleared
  Ask(GetDlgItem(page, 1011), HKM_SETHOTKEY, 0x500);        // modifiers only
  ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_OK));
  EXPECT_FALSE(HotKeyFree(MOD_CONTROL, 'Q'));
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '1'));
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '2'));
  EXPECT_EQ(p.Quit(), 0u);
  std::string stored;
  for (const char* key : {"ONHOTALT", "ONHOTCTL", "ONHOTKEY", "OFFHOTALT", "OFFHOTCTL", "OFFHOTSFT", "OFFHOTKEY",
                          "MENUHOTALT", "MENUHOTSFT", "MENUHOTKEY"})
    stored += p.Ini("OPTION", key) + " ";
  EXPECT_EQ(stored, "0 1 81 0 0 0 0 1 1 0 ");
}

TEST(Options, CancelFromAnyPageLeavesExactlyTheSettingsHotKeys) {
  Pelmor p(MakeDataDir("options-cancel"));
  ASSERT_TRUE(p.Start());
  for (int last : {0, 1, 2}) {
    SCOPED_TRACE(last);
    HWND sheet = OpenSheet(p);
    ASSERT_NE(sheet, nullptr);
    GoToPage(sheet, 1);  // the hot key page unregisters while it is open
    GoToPage(sheet, last);
    ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_CANCEL));
    for (UINT key : {'1', '2', '0'}) EXPECT_FALSE(HotKeyFree(MOD_ALT, key)) << key;
  }
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Options, OldestFirstReversesBothListsAtOnce) {
  Pelmor p(MakeDataDir("options-order"));
  WriteFileBytes(p.File("Pelmor.DAT"), RecordBytes({"a", "b"}));
  WriteFileBytes(p.File("Pelmor.SAV"), RecordBytes({"f1", "f2"}));
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.Rows(kHistory), (Rows{"b", "a"}));
  HWND sheet = OpenSheet(p);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(Page(sheet), 1004), BST_CHECKED);
  Ask(GetDlgItem(Page(sheet), 1005), BM_CLICK);
  ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_OK));
  EXPECT_EQ(p.Rows(kHistory), (Rows{"a", "b"}));
  EXPECT_EQ(p.Rows(kFavorites), (Rows{"f1", "f2"}));
  EXPECT_EQ(p.Selected(kHistory), std::vector<int>{0});
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(p.Ini("OPTION", "ADDFLG"), "0");
}

TEST(Options, TheEditorPathIsStoredAtOnceAndStartsTheEditorOnTheAAList) {
  Pelmor p(MakeDataDir("editor"));
  WriteFileBytes(p.File("AAList.txt"), "a\n");
  const std::string editor = ProgramDir() + "\\fake_editor.exe", spaced = p.dir + "my tools\\fake editor.exe";
  CreateDirectoryA((p.dir + "my tools").c_str(), nullptr);
  CopyFileA(editor.c_str(), spaced.c_str(), FALSE);
  ASSERT_TRUE(p.Start());
  HWND sheet = OpenSheet(p);
  ASSERT_NE(sheet, nullptr);
  GoToPage(sheet, 2);
  SetDlgItemTextA(Page(sheet), 1014, editor.c_str());
  ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_OK));
  EXPECT_EQ(p.Ini("TEXT", "PATH"), editor);
  const std::string arguments = " \"" + p.File("AAList.txt") + "\"";
  const struct {
    const char* name;
    const char* path;  // null: as the sheet stored it
    const char* windowTitle;  // of the editor that must come up
    const char* errorBox;
  } cases[] = {
      {"set in the sheet", nullptr, nullptr, nullptr},
      {"with spaces, passed as it stands", spaced.c_str(), nullptr, nullptr},
      {"empty: Notepad", "", "Notepad", nullptr},
      {"missing program", "Z:\\no such\\editor.exe", nullptr, "ｴﾃﾞｨﾀが起動できません。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.path) WritePrivateProfileStringA("TEXT", "PATH", c.path, p.File("Pelmor.ini").c_str());
    DeleteFileA(p.File("editor-args.txt").c_str());
    p.Command(40009);
    if (c.errorBox) {
      EXPECT_EQ(p.Answer("ｴﾃﾞｨﾀ起動ｴﾗｰ", IDOK), c.errorBox);
    } else if (c.windowTitle) {
      HWND notepad = nullptr;
      ASSERT_TRUE(WaitUntil([&] { return (notepad = FindTopWindow(0, c.windowTitle)) != nullptr; }, 15000));
      PROCESS_INFORMATION process = {};
      GetWindowThreadProcessId(notepad, &process.dwProcessId);
      process.hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.dwProcessId);
      EndProcess(&process);
    } else {
      // The editor writes the command line it got, then ends.
      ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(p.File("editor-args.txt")).find(arguments) != std::string::npos; }));
    }
  }
  EXPECT_EQ(p.Quit(), 0u);
}

TEST(Options, AboutClosesWithOkAndEscapeAndMissingHelpIsReported) {
  Pelmor p(MakeDataDir("about"));
  ASSERT_TRUE(p.Start());
  for (int button : {IDOK, IDCANCEL}) {
    p.Command(40001);
    HWND about = p.Dialog("ﾊﾞｰｼﾞｮﾝ表示");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(about, 1001)), "Ver1.13");
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
  EXPECT_TRUE(WaitUntil([&] { return FindTopWindow(p.process.dwProcessId, nullptr, "Pelmor ヘルプ"); }, 15000));
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
  EXPECT_NE(ReadFileBytes(std::string(folder) + "\\ペルモア.lnk").find(p.File("Pelmor.exe")), std::string::npos);
  EXPECT_EQ(p.Quit(), 0u);
}

}  // namespace
