// The filter line: Ctrl+F in the history or favorites list opens a single-line edit above
// the list, and what is typed there narrows the list to the rows that hold it.
#pragma once
#include <windows.h>

constexpr int kFilterLineHeight = 22;

// Opens the line over the list (or moves to it) and gives it the keyboard focus.
void OpenFilterLine(HWND list);
// Clears the filter, closes the line and shows the whole list again, its selected records
// still selected. Nothing happens while no line is open.
void CloseFilterLine();
// WM_COMMAND from the line (EN_CHANGE: the text was changed).
void OnFilterLineCommand(WORD notification);
