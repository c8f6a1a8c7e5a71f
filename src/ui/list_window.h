// The list window: tab control, the three report lists, row layout, tabs and layout.
#pragma once
#include <windows.h>

HWND CreateTabControl(HWND mainWindow, HINSTANCE instance);
// Creates a list, subclasses it with listProc and stores the previous procedure in *previous.
// extraStyle: LVS_OWNERDATA for the lists drawn from a row index.
HWND CreateListControl(HWND mainWindow, HINSTANCE instance, int controlId, WNDPROC listProc,
                       WNDPROC* previous, DWORD extraStyle = 0);

// While copies come in quick succession, the history list's painting waits for a pause (a
// capture holds it, ID_PAINT_TIMER releases it).
void HoldListPainting(HWND mainWindow);
void ReleaseListPainting(HWND mainWindow);
void SelectTab(HWND mainWindow, int index);
void CycleTab();
void TrackWindowRect(HWND mainWindow);
// Moves the window onto the work area of the nearest monitor when it is not entirely on it
// (a place saved on a monitor since unplugged).
void KeepWindowOnScreen(HWND mainWindow);
void LayoutChildren(HWND mainWindow);
// WM_CLOSE and the deactivation: the window hides; its filter line closes, so the next showing
// starts on the whole list.
void HideListWindow(HWND mainWindow);
// Activation of the main window: focus the list of the current tab.
void FocusCurrentList(HWND mainWindow);
// WM_DPICHANGED: the window takes the rectangle Windows suggests, and its fonts, column and
// layout follow the new DPI (the high word of dpi; both words are the same).
void OnDpiChanged(HWND mainWindow, WPARAM dpi, const RECT* suggested);
// WM_NOTIFY at the main window.
LRESULT OnMainNotify(HWND mainWindow, NMHDR* header);
