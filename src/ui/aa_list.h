// The AA list: fixed one-line texts from AAList.txt in the third tab.
#pragma once
#include <windows.h>

void LoadAAList(HWND list);
// Replaces PendingPaste with the selected rows' texts joined by CR LF.
void GatherAARows(HWND list);
