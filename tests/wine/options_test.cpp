// The options sheet, About, help, the editor and the start-up shortcut.
#include "harness.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

using Options = PelmorTest;

// Only a hot key the user changed is refused: one left as it was stays as quiet as at start-up.
TEST_F(Options, TheHotKeyPageRefusesAChangedKeyItCannotRegisterAndOkRegistersExactlyTheNewOnesCancelTheOldOnes) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 79, MOD_ALT, '7'));  // another program's since before the start
  Start("[OPTION]\r\nONHOTKEY=55\r\nMENUHOTKEY=0\r\n", {"a", "b"});  // the list key on Alt+7: not registered
  for (int last : {0, 2}) {  // Cancel from another page: the hot key page unregistered them
    HWND sheet = OpenSheet(p);
    ASSERT_TRUE(GoToPage(sheet, 1) && GoToPage(sheet, last) && CloseSheet(p, sheet, PSBTN_CANCEL));
    EXPECT_FALSE(HotKeyFree(MOD_ALT, '2')) << last;
  }
  HWND sheet = OpenSheet(p), general = GoToPage(sheet, 0);
  ASSERT_NE(general, nullptr);
  Ask(GetDlgItem(general, 1010), BM_CLICK);  // OVERLAP on and oldest first, then refused OKs
  Ask(GetDlgItem(general, 1005), BM_CLICK);
  HWND page = GoToPage(sheet, 1);
  ASSERT_NE(page, nullptr);
  const std::pair<int, LRESULT> shown[] = {{1008, 0x437}, {1009, 0x432}, {1011, 0}};  // the controls' words
  for (auto [control, word] : shown) EXPECT_EQ(Ask(GetDlgItem(page, control), HKM_GETHOTKEY), word);
  EXPECT_TRUE(HotKeyFree(MOD_ALT, '2'));  // unregistered while the page is open
  ASSERT_TRUE(RegisterHotKey(nullptr, 78, MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'Q'));  // another program's
  const std::pair<LRESULT, std::string> refused[] = {  // the list key changed, OK pressed on another page
      {0x432, "一覧表示ｷｰ（Alt+2）はｸﾘｯﾌﾟﾎﾞｰﾄﾞ履歴抑止ｷｰと同じです。"},
      {0x700 | 'Q', "一覧表示ｷｰ（Ctrl+Alt+Shift+Q）は他のプログラムが使用しているため登録できません。"}};
  for (const auto& [word, message] : refused) {
    Ask(GetDlgItem(page, 1008), HKM_SETHOTKEY, word);
    ASSERT_TRUE(GoToPage(sheet, 0));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    EXPECT_EQ(p.Answer("ｴﾗｰ", IDOK), message + "別のキーを指定してください。");
    ASSERT_TRUE(WaitUntil([&] { return IsWindow(sheet) && CurrentPage(sheet) == 1; }));  // back on the hot keys
  }
  UnregisterHotKey(nullptr, 78);
  ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_CANCEL));
  EXPECT_EQ(p.Rows(kHistory), (Rows{"b", "a"}));  // nothing of the refused OKs took effect
  EXPECT_FALSE(HotKeyFree(MOD_ALT, '2'));
  sheet = OpenSheet(p);
  ASSERT_NE(page = GoToPage(sheet, 1), nullptr);
  Ask(GetDlgItem(page, 1009), HKM_SETHOTKEY, 0x200 | 'W');
  Ask(GetDlgItem(page, 1011), HKM_SETHOTKEY, 0x500);  // modifiers only
  ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_OK));
  EXPECT_TRUE(!HotKeyFree(MOD_CONTROL, 'W') && HotKeyFree(MOD_ALT, '2'));
  EXPECT_EQ(p.Quit(), 0u);
  UnregisterHotKey(nullptr, 79);
  EXPECT_EQ(p.Ini("OPTION", {"ONHOTALT", "ONHOTKEY", "OFFHOTALT", "OFFHOTCTL", "OFFHOTKEY", "MENUHOTALT", "MENUHOTSFT",
                             "MENUHOTKEY", "OVERLAP", "ADDFLG"}),
            "1 55 0 1 87 1 1 0 0 1");
}

// OK puts the pages into effect at once: the order of both lists, a lowered cap. A cap is written
// only once set.
TEST_F(Options, TheCommandAgainBringsTheOpenSheetForwardAndOkReversesBothListsAndCapsTheHistory) {
  Rows saved;
  for (int i = 0; i < 300; ++i) saved.push_back(std::to_string(i));
  Start("", saved, {"f1", "f2"});
  HWND sheet = OpenSheet(p);
  ASSERT_TRUE(sheet && target.Focus());
  p.Command(40002);  // 環境設定 in the tray menu again: no second sheet
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == sheet; }) && p.Flush());
  EXPECT_TRUE(FindWindowA("#32770", "環境設定") == sheet && !FindWindowExA(nullptr, sheet, "#32770", "環境設定"));
  HWND page = GoToPage(sheet, 0);
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(IsDlgButtonChecked(page, 1004), BST_CHECKED);
  Ask(GetDlgItem(page, 1005), BM_CLICK);  // oldest first
  ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_OK));
  EXPECT_EQ(p.Rows(kHistory), saved);
  EXPECT_EQ(p.Rows(kFavorites), (Rows{"f1", "f2"}));
  EXPECT_EQ(p.Selected(kHistory), std::vector<int>{0});
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(p.Ini("OPTION", {"ADDFLG", "MAXCOUNT"}), "0 (none)");  // no cap set: the file has none
  ASSERT_TRUE(p.Start());
  sheet = OpenSheet(p);
  ASSERT_NE(page = GoToPage(sheet, 3), nullptr);
  for (const char* refused : {"50", "1000001", ""}) {
    SetDlgItemTextA(page, 1017, refused);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_NE(p.Dialog("ｴﾗｰ"), nullptr);
    p.Command(40003);  // Quit from the tray meanwhile waits for the sheet
    ASSERT_TRUE(p.Flush());
    EXPECT_EQ(p.Answer("ｴﾗｰ", IDOK), "履歴の最大件数には 0（無制限）か 100～1000000 の数を指定してください。") << refused;
    EXPECT_TRUE(IsWindow(sheet));
  }
  SetDlgItemTextA(page, 1017, "150");
  ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_OK));
  EXPECT_EQ(p.Rows(kHistory), Rows(saved.end() - 150, saved.end()));  // the oldest went at OK
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(p.Ini("OPTION", "MAXCOUNT"), "150");
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.DAT")), RecordBytes(Rows(saved.end() - 150, saved.end())));
}

TEST_F(Options, TheEditorPathIsStoredAtOnceAndStartsTheEditorOnTheAAList) {
  Start("", {}, {}, "a\n");
  // Unquoted, the path would start the decoy my.exe with "tools\fake editor.exe" as its argument.
  const std::string spaced = p.File("my tools\\fake editor.exe"), ran = p.File("editor-args.txt");
  CreateDirectoryA(p.File("my tools").c_str(), nullptr);
  for (const std::string& copy : {spaced, p.File("my.exe")})
    CopyFileA((ProgramDir() + "\\fake_editor.exe").c_str(), copy.c_str(), FALSE);
  HWND sheet = OpenSheet(p), page = GoToPage(sheet, 2);
  ASSERT_NE(page, nullptr);
  SetDlgItemTextA(page, 1014, spaced.c_str());
  ASSERT_TRUE(CloseSheet(p, sheet, PSBTN_OK));
  EXPECT_EQ(p.Ini("TEXT", "PATH"), spaced);
  // Also without its .exe, which Windows adds; one in quotes goes as it is.
  for (const std::string& value : {spaced, spaced.substr(0, spaced.size() - 4), "\"" + spaced + "\" -x"}) {
    if (value != spaced) WritePrivateProfileStringA("TEXT", "PATH", value.c_str(), p.File("Pelmor.ini").c_str());
    DeleteFileA(ran.c_str());
    p.Command(40009);
    // The stand-in editor writes its own path and the command line it got.
    ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(ran).find(" \"" + p.File("AAList.txt") + "\"") != std::string::npos; }));
    EXPECT_EQ(ReadFileBytes(ran).substr(0, ReadFileBytes(ran).find('\n')), spaced) << value;
  }
  for (const std::string& wrong : {std::string("Z:\\no such\\editor.exe"), p.File("my tools")}) {  // not the decoy
    WritePrivateProfileStringA("TEXT", "PATH", wrong.c_str(), p.File("Pelmor.ini").c_str());
    p.Command(40009);
    EXPECT_EQ(p.Answer("ｴﾃﾞｨﾀ起動ｴﾗｰ", IDOK), "ｴﾃﾞｨﾀが起動できません。") << wrong;
  }
}

TEST_F(Options, TheStartupShortcutIsAnnouncedOnlyWhenItWasSaved) {
  Start("", {});
  char folder[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE));
  const std::string shortcut = folder + std::string("\\ペルモア.lnk");
  auto clear = [&] { RemoveDirectoryA(shortcut.c_str()) || DeleteFileA(shortcut.c_str()); };
  const struct { bool blocked; const char *caption, *text; } cases[] = {  // blocked by a folder of its name
      {true, "ｴﾗｰ", "スタートアップへの登録に失敗しました。"},
      {false, "登録完了通知", "Pelmor(ペルモア)をスタートアップへ登録しました。"},
  };
  for (const auto& c : cases) {
    clear();
    if (c.blocked) CreateDirectoryA(shortcut.c_str(), nullptr);
    p.Command(40012);
    EXPECT_EQ(p.Answer(c.caption, IDOK), c.text) << c.blocked;
    EXPECT_EQ(ReadFileBytes(shortcut).empty(), c.blocked);  // a folder reads as nothing
  }
  clear();
}

}  // namespace
