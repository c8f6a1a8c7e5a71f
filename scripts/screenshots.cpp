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

// The window as it is on the screen, painted first.
bool SaveScreenshot(HWND window, const std::string& name) {
  if (!window) return Failed(name.c_str());
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Ask(window, WM_NULL);
  RECT r;
  GetWindowRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return Failed(name.c_str());
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  DWORD size = ((w * 3 + 3) & ~3) * h;
  BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + size), 0, 0,
                           sizeof file + sizeof info.bmiHeader};
  std::ofstream out(gOutput + "\\" + name + ".bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), size);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
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
  saved = ShowTab(p, 2) && SaveScreenshot(p.main, "aa-tab") && saved;
  p.Tray(WM_RBUTTONDOWN);
  HWND menu = WaitForPopupMenu();
  saved = SaveScreenshot(menu, "tray-menu") && saved;
  PressKey(VK_ESCAPE);
  WaitUntil([&] { return !IsWindowVisible(menu); });
  p.Command(40002);
  HWND sheet = p.Dialog("環境設定");
  const char* pages[] = {"options-general", "options-hotkeys", "options-editor"};
  for (int page = 0; page < 3 && sheet; ++page) {
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
  return p.Quit() == 0 && saved;
}

}  // namespace

int main(int argc, char** argv) {
  gOutput = argc > 1 ? argv[1] : ".";
  return TakeAll() ? 0 : 1;
}
