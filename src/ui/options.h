// The options property sheet: General, Hot keys and Editor pages.
#pragma once
#include <windows.h>

void ShowOptions(HWND mainWindow, HINSTANCE instance);
