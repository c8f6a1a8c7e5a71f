#include "dpi.h"

#include <commctrl.h>

#include "../res/resource.h"

namespace {

// A function of a newer Windows than the program's oldest (Windows 7), or null.
template <typename Function>
Function* SystemFunction(const char* module, const char* name) {
  HMODULE loaded = GetModuleHandleA(module);
  return loaded ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(loaded, name)))
                : nullptr;
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

// The icon-title font that list views take by default, which Windows gives at the system's
// DPI, made for another DPI.
HFONT CreateListFont(int dpi) {
  LOGFONTW font;
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) return nullptr;
  font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
  return CreateFontIndirectW(&font);
}

HICON LoadSmallIcon(int iconId) {
  using LoadMetric = HRESULT WINAPI(HINSTANCE, PCWSTR, int, HICON*);
  static LoadMetric* loadMetric = SystemFunction<LoadMetric>("comctl32.dll", "LoadIconMetric");
  HINSTANCE module = GetModuleHandleA(nullptr);
  HICON icon = nullptr;
  if (loadMetric && SUCCEEDED(loadMetric(module, MAKEINTRESOURCEW(iconId), LIM_SMALL, &icon))) return icon;
  return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpi = UINT WINAPI(HWND);
  static GetDpi* getDpi = SystemFunction<GetDpi>("user32.dll", "GetDpiForWindow");
  int dpi = getDpi ? static_cast<int>(getDpi(window)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

void FitToDpi(HWND mainWindow) {
  SetListFonts();
  if (Settings.FLAG == 0)
    SetWindowPos(mainWindow, nullptr, 0, 0, Scaled(Settings.WIDTH), Scaled(Settings.HEIGHT),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetListFonts() {
  static HFONT made = nullptr;  // the lists' font while they use it
  HFONT old = made;
  made = AppState.Dpi == SystemDpi() ? nullptr : CreateListFont(AppState.Dpi);
  if (!made && !old) return;  // the lists keep their default font
  // Null gives a list its default font back.
  for (HWND list : {AppState.HistoryList, AppState.FavoritesList, AppState.AAList})
    if (list) SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (AppState.FilterLine)
    SendMessageA(AppState.FilterLine, WM_SETFONT, SendMessageA(AppState.HistoryList, WM_GETFONT, 0, 0), TRUE);
  if (old) DeleteObject(old);
}

HICON LoadTrayIcon(int iconId) {
  static HICON loaded[2];  // capturing and paused, for the life of the process
  HICON& icon = loaded[iconId == IDI_PAUSED ? 1 : 0];
  if (!icon) icon = LoadSmallIcon(iconId);
  return icon;
}
