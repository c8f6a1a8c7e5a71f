// Record operations as the lists use them: loading, deleting, purging and saving rows.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "../store/file_io.h"

enum CompactTarget { kWorkFileTarget, kFavoritesTarget };

// Empties the list and fills it from DataDir + name, or from WorkFile without a name.
void LoadRecordList(HWND list, const char* name);
// Appends a captured text to the work file; the new record's position, or negative.
int64_t AppendRecord(const char* text, int32_t length);
// 1 when the work file holds the text more than once (the new record included), else 0.
int HasDuplicateRecord(const char* text, int32_t length);
// With OVERLAP: removes every older record holding the same text as the new one.
void PurgeDuplicates(HWND historyList, const char* text, int32_t length, int64_t newPosition);
// Asks, then removes the records of the selected rows. 0 when the file was rewritten,
// -1 when the user cancelled or no row was selected. The handle is consumed on 0; for the
// work file WorkFile as it is after the question is used and the handle is ignored.
int DeleteSelectedRecords(HWND list, FileHandle file, CompactTarget target);
// Rewrites the file without the records at dropPositions and puts it in place of the
// target. Always takes the handle; for the work file WorkFile is open again afterwards.
int CompactRecordFile(FileHandle file, CompactTarget target, const std::vector<int64_t>& dropPositions);
void DeleteFromHistory(HWND historyList);
void DeleteFromFavorites(HWND favoritesList);
void SaveToFavorites(HWND historyList);
// Opens Pelmor.SAV and settles it; kNoFile when it cannot be opened.
FileHandle OpenFavoritesFile();
