// Program entry: data directory, single instance, settings, the main window and its loop.
#include <windows.h>

#include "../res/resource.h"
#include "../app/app_state.h"
#include "../app/data_dir.h"
#include "../ui/list_window.h"
#include "main_window.h"
#include "../app/settings.h"

static const char kWindowTitle[] = "Pelmor　Ver1.13";

static bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_CAPTURING));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  wc.lpszClassName = "Pelmor";
  return RegisterClassExA(&wc) != 0;
}

static void ReleaseInstanceMutex(HANDLE mutex) {
  if (!mutex) return;
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DWORD got = GetCurrentDirectoryA(kPathSize, AppState.DataDir);
  bool usable = got > 0 && got < kPathSize;
  if (usable) {
    AddTrailingBackslash(AppState.DataDir);
    usable = DataDirFits(AppState.DataDir);
  }
  if (!usable) {
    // Paths formed in this folder would be cut off and name the wrong files.
    MessageBoxA(nullptr, "データフォルダのパスが長すぎるため起動できません。\n"
                         "もっと短いパスのフォルダから起動してください。",
                "ｴﾗｰ", MB_OK);
    return 0;
  }
  char mutexName[1024];
  BuildMutexName(AppState.DataDir, mutexName, sizeof mutexName);
  HANDLE mutex = CreateMutexA(nullptr, TRUE, mutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ReleaseInstanceMutex(mutex);
    return 0;
  }
  LoadSettings();
  StartOpeningHistory();
  AppState.TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
  if (!RegisterMainClass(instance)) {
    ReleaseInstanceMutex(mutex);
    return 0;
  }
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "Pelmor", kWindowTitle, WS_SYSMENU | WS_THICKFRAME,
                                Settings.X, Settings.Y, Settings.WIDTH, Settings.HEIGHT, nullptr,
                                nullptr, instance, nullptr);
  if (!window) {
    ReleaseInstanceMutex(mutex);
    return 0;
  }
  KeepWindowOnScreen(window);
  ShowWindow(window, SW_HIDE);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  ReleaseInstanceMutex(mutex);
  return static_cast<int>(msg.wParam);
}
