// The list window's sizes, given for 96 DPI, at the screen's DPI and after a change of it.
#include "harness.h"

#include <commctrl.h>

namespace {

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
    EXPECT_EQ(p.Placed(5994), (std::vector<LONG>{c.margin, c.top, client.right - c.margin, listTop}));
    EXPECT_EQ(p.Placed(kHistory),
              (std::vector<LONG>{c.margin, listTop, client.right - c.margin, client.bottom - c.margin}));
    EXPECT_EQ(Ask(p.Child(kHistory), LVM_GETCOLUMNWIDTH, 0), c.column);
    EXPECT_EQ(tab.bottom - tab.top, c.tabRow);
    EXPECT_EQ(row.bottom - row.top, c.row);  // the lists' font
    EXPECT_EQ(p.Quit(), 0u);
  }
}

}  // namespace
