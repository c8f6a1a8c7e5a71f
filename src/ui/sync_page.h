// The options page 「同期」: the sync folder, this PC's name in it and the days its texts are kept.
#pragma once
#include <windows.h>

INT_PTR CALLBACK SyncPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
