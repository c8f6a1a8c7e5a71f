// Takes the documentation's pictures of the real Pelmor.exe under Wine, as bitmaps in the
// folder given (scripts/screenshots turns them into the PNG files of docs/).
#include "harness.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>

namespace {

std::string gOutput;

bool Failed(const char* what) {
  fprintf(stderr, "screenshots: %s did not come up\n", what);
  return false;
}

std::string gSuffix;  // of the names of the pictures taken at a DPI other than 96

// The window as it is on the screen, painted first.
bool SaveScreenshot(HWND window, const std::string& name) {
  if (!window) return Failed(name.c_str());
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Ask(window, WM_NULL);
  std::string pixels = ScreenPixels(window);
  if (pixels.empty()) return Failed(name.c_str());
  RECT r;
  GetWindowRect(window, &r);
  BITMAPINFOHEADER info = {sizeof info, r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info + pixels.size()), 0, 0,
                           sizeof file + sizeof info};
  std::ofstream out(gOutput + "\\" + name + gSuffix + ".bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out << pixels;
  return out.good();
}

bool ShowTab(const Pelmor& p, int tab) {
  while (p.CurrentTab() != tab) {
    int next = (p.CurrentTab() + 1) % 3;
    PressKey(VK_TAB);
    if (!WaitUntil([&] { return p.CurrentTab() == next; }) || !p.Settled()) return false;
  }
  return true;
}

// The list window with its filter line open, narrowed to the rows that hold "す".
bool SaveFiltered(const Pelmor& p) {
  PressKey('F', false, true);
  HWND line = nullptr;
  if (!WaitUntil([&] { return (line = p.Child(5994)) != nullptr; }) || !p.Settled())
    return Failed("the filter line");
  SetWindowTextW(line, L"す");
  bool saved =
      WaitUntil([&] { return p.Rows(kHistory).size() == 2; }) && SaveScreenshot(p.main, "list-filter");
  PressKey(VK_ESCAPE);  // the whole list again
  return WaitUntil([&] { return !p.Child(5994); }) && p.Settled() && saved;
}

bool TakeAll() {
  Pelmor p(MakeDataDir("screenshots"));
  WriteFileBytes(p.File("Pelmor.DAT"),
                 RecordBytes({"https://example.jp/資料/2026年度計画.pdf", "会議は午後3時から第2会議室で行います。",
                              "Thank you for your message.", "〒100-0001 東京都千代田区千代田1-1",
                              "git commit -m \"Fix the delete\"", "お疲れさまです。"}));
  WriteFileBytes(p.File("AAList.txt"), "(・∀・)\r\nよろしくお願いいたします。\r\nBest regards,\r\n");
  Target editor;
  if (!editor.Start(L"メモ - 無題") || !p.Start()) return Failed("start");
  if (!editor.Focus() || !p.ShowList()) return Failed("the list window");
  p.Select(kHistory, {1});
  bool saved = SaveScreenshot(p.main, "list-window");
  saved = SaveFiltered(p) && saved;
  saved = ShowTab(p, 2) && SaveScreenshot(p.main, "aa-tab") && saved;
  p.Tray(WM_RBUTTONDOWN);
  HWND menu = WaitForPopupMenu();
  saved = SaveScreenshot(menu, "tray-menu") && saved;
  PressKey(VK_ESCAPE);
  WaitUntil([&] { return !IsWindowVisible(menu); });
  p.Command(40002);
  HWND sheet = p.Dialog("環境設定");
  const char* pages[] = {"options-general", "options-hotkeys", "options-editor", "options-history", "options-sync"};
  for (int page = 0; page < 5 && sheet; ++page) {
    PostMessageA(sheet, PSM_SETCURSEL, page, 0);
    p.Flush();
    saved = SaveScreenshot(sheet, pages[page]) && saved;
  }
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  WaitUntil([&] { return !IsWindow(sheet); });
  p.Command(40001);
  HWND about = p.Dialog("ﾊﾞｰｼﾞｮﾝ表示");
  saved = SaveScreenshot(about, "about") && saved;
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  WaitUntil([&] { return !IsWindow(about); });
  p.Command(40004);  // a message box: the question before deleting all history
  saved = SaveScreenshot(p.Dialog("確認"), "confirm") && saved;
  p.Answer("確認", IDCANCEL);
  return p.Quit() == 0 && saved;
}

}  // namespace

int main(int argc, char** argv) {
  gOutput = argc > 1 ? argv[1] : ".";
  bool saved = TakeAll();
  ScreenDpi screen(144);  // 150 %
  gSuffix = "-144";
  return TakeAll() && saved ? 0 : 1;
}
