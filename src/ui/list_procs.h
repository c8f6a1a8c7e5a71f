// The subclassed procedures of the three lists: keys, clicks and the row popup menu.
#pragma once
#include <windows.h>

LRESULT CALLBACK HistoryListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FavoritesListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK AAListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
// Enter or a double-click: the selected rows' texts are gathered and the window closes,
// which pastes them.
void ChooseRows(HWND list);
