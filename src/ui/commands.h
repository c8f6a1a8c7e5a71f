// The command table of the tray menu.
#pragma once
#include <windows.h>

LRESULT HandleCommand(HWND mainWindow, HINSTANCE instance, WPARAM wParam);
