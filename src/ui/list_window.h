// The list window: tab control, the three report lists, row layout, tabs and layout.
#pragma once
#include <windows.h>

#include <vector>

HWND CreateTabControl(HWND mainWindow, HINSTANCE instance);
// Creates a list, subclasses it with listProc and stores the previous procedure in *previous.
// extraStyle: LVS_OWNERDATA for the lists drawn from a row index.
HWND CreateListControl(HWND mainWindow, HINSTANCE instance, int controlId, WNDPROC listProc,
                       WNDPROC* previous, DWORD extraStyle = 0);

void SelectFirstRow(HWND list);
void SelectRow(HWND list, int row);  // selected and focused
void SetRowState(HWND list, int row, UINT state, UINT mask);  // row -1: every row

// Selected rows in list order from the top.
std::vector<int> SelectedRows(HWND list);

void SelectTab(HWND mainWindow, int index);
void CycleTab();
void TrackWindowRect(HWND mainWindow);
// Moves the window onto the work area of the nearest monitor when it is not entirely on it
// (a place saved on a monitor since unplugged).
void KeepWindowOnScreen(HWND mainWindow);
void LayoutChildren(HWND mainWindow);
// Activation of the main window: focus the list of the current tab.
void FocusCurrentList(HWND mainWindow);
// WM_NOTIFY at the main window.
LRESULT OnMainNotify(HWND mainWindow, NMHDR* header);
