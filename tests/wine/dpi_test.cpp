// The list window's sizes, given for 96 DPI, at the screen's DPI and after a change of it.
#include "harness.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

namespace {

// The child's rectangle in the main window's client area.
std::vector<LONG> Placed(const Pelmor& p, int id) {
  RECT r = {};
  GetWindowRect(p.Child(id), &r);
  MapWindowPoints(nullptr, p.main, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

// Whether the notification area shows an icon as it shows icon 102's image of this size: that
// image is put beside it (Wine's tray adds icons on the right) and the pictures are compared.
bool TrayShowsIconOfSize(int size) {
  HMODULE exe = LoadLibraryExA((ProgramDir() + "\\Pelmor.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  data.uFlags = NIF_ICON;
  data.hIcon = static_cast<HICON>(LoadImageA(exe, MAKEINTRESOURCEA(102), IMAGE_ICON, size, size, 0));
  Shell_NotifyIconA(NIM_ADD, &data);
  bool shown = WaitUntil([] {
    std::map<LONG, std::string> pictures;  // by left edge
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    for (HWND icon = nullptr; tray && (icon = FindWindowExA(tray, icon, nullptr, nullptr));) {
      RECT r;
      GetWindowRect(icon, &r);
      pictures[r.left] = ScreenPixels(icon);
    }
    const std::string mine = pictures.empty() ? "" : pictures.rbegin()->second;
    // Drawn once the outline's black is there; icons not drawn yet look all alike.
    return mine.find('\0') != std::string::npos &&
           std::count_if(pictures.begin(), pictures.end(), [&](const auto& p) { return p.second == mine; }) >
               1;
  });
  Shell_NotifyIconA(NIM_DELETE, &data);
  DestroyWindow(data.hWnd);
  DestroyIcon(data.hIcon);
  FreeLibrary(exe);
  return shown;
}

TEST(Dpi, SizesGivenFor96DpiScaleWithTheMonitor) {
  const struct {
    DWORD dpi;      // the screen's at start
    WORD changeTo;  // then moved to a monitor of this DPI, or 0
    int window, margin, top, column, tabRow, filterLine, row, trayIcon;
  } cases[] = {
      {96, 0, 300, 10, 30, 460, 18, 22, 14, 16},
      {144, 0, 450, 15, 45, 690, 25, 33, 21, 24},   // tab row: a font of height -18, 25 px under Wine
      {96, 144, 450, 15, 45, 690, 25, 33, 21, 16},  // the tray is not on the window's monitor
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi + c.changeTo);
    ScreenDpi screen(c.dpi);
    Pelmor p(MakeDataDir("dpi"));
    WriteFileBytes(p.File("Pelmor.DAT"), RecordBytes({"row"}));
    ASSERT_TRUE(p.Start());
    EXPECT_TRUE(TrayShowsIconOfSize(c.trayIcon));  // while the tray is in sight
    ASSERT_TRUE(p.ShowList());
    PressKey('F', false, true);  // the filter line
    ASSERT_TRUE(WaitUntil([&] { return p.Child(5994) != nullptr; }) && p.Settled());
    RECT r = {0, 0, c.window, c.window}, client, tab = {}, row = {LVIR_BOUNDS, 0, 0, 0};
    if (c.changeTo) p.AskWithRect(p.main, WM_DPICHANGED, MAKEWPARAM(c.changeTo, c.changeTo), &r);
    GetWindowRect(p.main, &r);
    GetClientRect(p.main, &client);
    p.AskWithRect(p.Child(5999), TCM_GETITEMRECT, 0, &tab);
    p.AskWithRect(p.Child(kHistory), LVM_GETITEMRECT, 0, &row);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
              (std::vector<LONG>{0, 0, c.window, c.window}));
    int listTop = c.top + c.filterLine;
    EXPECT_EQ(Placed(p, 5994), (std::vector<LONG>{c.margin, c.top, client.right - c.margin, listTop}));
    EXPECT_EQ(Placed(p, kHistory),
              (std::vector<LONG>{c.margin, listTop, client.right - c.margin, client.bottom - c.margin}));
    EXPECT_EQ(Ask(p.Child(kHistory), LVM_GETCOLUMNWIDTH, 0), c.column);
    EXPECT_EQ(tab.bottom - tab.top, c.tabRow);
    EXPECT_EQ(row.bottom - row.top, c.row);  // the lists' font
    EXPECT_EQ(p.Quit(), 0u);
  }
}

}  // namespace
