#include "aux_commands.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>

#include "../app/app_state.h"
#include "../app/settings.h"
#include "../res/resource.h"

namespace {

const char kVersionText[] = "Ver1.13";
const char kAuthorSite[] = "https://pelmor.example.jp/";

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, IDC_VERSION_TEXT, kVersionText);
    SetDlgItemTextA(dialog, IDC_AUTHOR_URL, kAuthorSite);
    return 0;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, 1);
    return 1;
  }
  return 0;
}

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kHelpDisplayTopic = 0;  // HH_DISPLAY_TOPIC

// HTML Help is loaded on first use only: most runs never open the help.
HtmlHelpFunction LoadHtmlHelp() {
  static HtmlHelpFunction function = nullptr;
  static bool tried = false;
  if (tried) return function;
  tried = true;
  HMODULE module = nullptr;
  char registered[MAX_PATH] = {};
  LONG size = sizeof registered;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32",
                     registered, &size) == ERROR_SUCCESS && registered[0])
    module = LoadLibraryA(registered);
  if (!module) module = LoadLibraryA("hhctrl.ocx");
  // Through void* so the compiler accepts the cast from the generic procedure type.
  if (module)
    function = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpA")));
  return function;
}

}  // namespace

void ShowAbout(HWND mainWindow) {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), mainWindow, AboutProc, 0);
}

int ShowHelp(HWND owner) {
  char path[kPathSize] = {};
  MakeDataPath("Pelmor.chm", path);
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    MessageBoxA(AppState.MainWindow, "ﾍﾙﾌﾟﾌｧｲﾙが存在しません。", "ｴﾗｰ", MB_OK);
    return -1;
  }
  HtmlHelpFunction htmlHelp = LoadHtmlHelp();
  if (!htmlHelp || !htmlHelp(owner, path, kHelpDisplayTopic, 0)) {
    MessageBoxA(AppState.MainWindow, "ﾍﾙﾌﾟﾌｧｲﾙの起動に失敗しました。", "ｴﾗｰ", MB_OK);
    return -1;
  }
  return 0;
}

void LaunchEditor(const char* fileName) {
  char editor[kPathSize] = {};
  ReadEditorPath("notepad.exe", editor, sizeof editor);
  if (editor[0] == '\0') lstrcpyA(editor, "notepad.exe");
  // A setting that names something there goes in quotes: unquoted, "C:\x y\ed.exe" would
  // start C:\x.exe if there was one. That is a file, the same without its .exe (which Windows
  // adds), or a folder (which then fails to start rather than start another program). Anything
  // else (a value in quotes, which no file name holds, a path with arguments, a program found
  // on the search path) goes as it is.
  char withExe[kPathSize + 4];
  snprintf(withExe, sizeof withExe, "%s.exe", editor);
  bool quoted = GetFileAttributesA(editor) != INVALID_FILE_ATTRIBUTES || GetFileAttributesA(withExe) != INVALID_FILE_ATTRIBUTES;
  char commandLine[1024];
  snprintf(commandLine, sizeof commandLine, quoted ? "\"%s\" \"%s%s\"" : "%s \"%s%s\"", editor,
           AppState.DataDir, fileName);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &process)) {
    MessageBoxA(AppState.MainWindow, "ｴﾃﾞｨﾀが起動できません。", "ｴﾃﾞｨﾀ起動ｴﾗｰ", MB_OK);
    return;
  }
  // The editor runs on its own; nothing waits for it.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

int RegisterStartup() {
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return 0;
  char target[kPathSize + 8];
  snprintf(target, sizeof target, "%s%s.exe", AppState.DataDir, "Pelmor");
  link->SetPath(target);
  link->SetWorkingDirectory(AppState.DataDir);
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    char folder[261] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE);
    char shortcut[kPathSize + 32];
    snprintf(shortcut, sizeof shortcut, "%s\\ペルモア.lnk", folder);
    WCHAR wide[kPathSize] = {};
    MultiByteToWideChar(CP_ACP, 0, shortcut, -1, wide, kPathSize);
    HRESULT saved = file->Save(wide, TRUE);  // fails when, say, a folder of that name is in the way
    file->Release();
    if (SUCCEEDED(saved))
      MessageBoxA(AppState.MainWindow, "Pelmor(ペルモア)をスタートアップへ登録しました。", "登録完了通知",
                  MB_OK);
    else
      MessageBoxA(AppState.MainWindow, "スタートアップへの登録に失敗しました。", "ｴﾗｰ", MB_OK);
  }
  link->Release();
  return 0;
}
