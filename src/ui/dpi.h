// Sizes at the screen's DPI. The list window's sizes are given for 96 DPI, where Windows draws
// a pixel as a pixel, and scale to the DPI of the monitor the window is on.
#pragma once
#include <windows.h>

#include "../app/app_state.h"

constexpr int kBaseDpi = 96;

// A size given for 96 DPI, at the DPI the list window is laid out for, rounded.
inline int Scaled(int size) { return MulDiv(size, AppState.Dpi, kBaseDpi); }

// The DPI of the monitor the window is on: GetDpiForWindow where Windows has it (Windows 10
// version 1607 on), else the system's DPI.
int WindowDpi(HWND window);
// At creation, once the children exist: the lists' font for the window's DPI and, without
// FLAG, the default size (given for 96 DPI) at that DPI. A saved size is used as it is: it is
// the size Windows reported at the DPI it was taken at.
void FitToDpi(HWND mainWindow);
// Gives the lists and the filter line the text font for AppState.Dpi.
void SetListFonts();
// The tray's icon (102 or 104) at the size of a small icon. Loaded once.
HICON LoadTrayIcon(int iconId);
