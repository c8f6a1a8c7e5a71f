// What the keys of the history and favorites lists do with the records behind the rows.
#pragma once
#include <windows.h>

// Enter or a double-click: the texts of the selected rows, as the list holds them, wait to
// be pasted (nothing when no row is selected).
void GatherSelectedRecords(HWND list);
// Asks, then removes the records of the rows selected before the question; the list shows
// the rest with its first row selected. Cancel changes nothing.
void DeleteFromHistory(HWND historyList);
void DeleteFromFavorites(HWND favoritesList);
// Appends the texts of the selected history rows to the favorites, in list order.
void SaveToFavorites(HWND historyList);
