// The subclassed procedures of the three lists: keys, clicks and the row popup menu.
#pragma once
#include <windows.h>

LRESULT CALLBACK HistoryListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FavoritesListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK AAListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
