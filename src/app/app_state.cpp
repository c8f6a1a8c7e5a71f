#include "app_state.h"

#include <cstdio>

AppStateRecord AppState = {};
SettingsRecord Settings = {};

void MakeDataPath(const char* fileName, char* path) {
  snprintf(path, kPathSize, "%s%s", AppState.DataDir, fileName);
}
