#include "work_file.h"

#include "app_state.h"

HistoryPaths DataHistoryPaths() { return MakeHistoryPaths(AppState.DataDir); }

int OpenWorkFile() {
  return OpenWorkFileAt(DataHistoryPaths().work, &AppState.WorkFile);
}

bool EnsureWorkFile() {
  if (AppState.WorkFile != kNoFile) return true;
  if (OpenWorkFile() == -102) CloseWorkFile();
  return AppState.WorkFile != kNoFile;
}

void CloseWorkFile() {
  CloseFileHandle(AppState.WorkFile);
  AppState.WorkFile = kNoFile;
}
