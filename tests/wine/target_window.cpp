// A plain titled window with one edit control, standing in for the user's program.
// Usage: target_window.exe [/topmost | /fullscreen ] TITLE
#include <windows.h>

#include <cstring>

static HWND gEdit;
static WNDPROC gEditProc;

// Counts the Ctrl+V presses that reach the edit, pasted or not, where tests can read them.
static LRESULT CALLBACK CountingEditProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CHAR && wp == 0x16) {
    HWND top = GetParent(w);
    SetPropA(top, "PelmorTestPastes", reinterpret_cast<HANDLE>(reinterpret_cast<INT_PTR>(GetPropA(top, "PelmorTestPastes")) + 1));
  }
  return CallWindowProcW(gEditProc, w, m, wp, lp);
}

static LRESULT CALLBACK TargetProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SIZE) MoveWindow(gEdit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
  // Like any editor: the keyboard focus belongs in the edit control.
  if (m == WM_SETFOCUS) {
    SetFocus(gEdit);
    return 0;
  }
  if (m == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(w, m, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  // The command line is the title, after "/topmost " for a window kept on top or
  // "/fullscreen " for a borderless window over the whole screen, as games use.
  bool topmost = strncmp(commandLine, "/topmost ", 9) == 0;
  bool fullscreen = strncmp(commandLine, "/fullscreen ", 12) == 0;
  char title[256];
  lstrcpynA(title, commandLine + (topmost ? 9 : fullscreen ? 12 : 0), sizeof title);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = instance;
  wc.lpszClassName = "PelmorTestTarget";
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
  HWND w = fullscreen
               ? CreateWindowExA(0, "PelmorTestTarget", title, WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr)
               : CreateWindowExA(topmost ? WS_EX_TOPMOST : 0, "PelmorTestTarget", title, WS_OVERLAPPEDWINDOW,
                                 topmost ? 600 : 100, 100, 400, 200, nullptr, nullptr, instance, nullptr);
  // A Unicode edit, as in today's programs: it pastes CF_UNICODETEXT.
  gEdit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0,
                          400, 200, w, reinterpret_cast<HMENU>(100), instance, nullptr);
  gEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(gEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingEditProc)));
  if (topmost) {
    // A palette or picture-in-picture window: on top of everything, never taking the focus.
    ShowWindow(w, SW_SHOWNOACTIVATE);
  } else {
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
    SetFocus(gEdit);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
