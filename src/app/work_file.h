// The work file Pelmor.WK as the running program holds it, and the history file set.
#pragma once
#include "../store/history_files.h"

HistoryPaths DataHistoryPaths();
// Opens Pelmor.WK into WorkFile: 0, -101 (cannot open), -102 (cannot write its count).
int OpenWorkFile();
// Reopens the work file when an earlier step left WorkFile closed; true when it is usable.
bool EnsureWorkFile();
void CloseWorkFile();
