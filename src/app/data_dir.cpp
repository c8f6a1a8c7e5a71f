#include "data_dir.h"

#include <cstring>

// The longest name the program forms in the data directory (the rotation scratch files
// are no longer than this).
static const char kLongestFileName[] = "Pelmor.DAT.BAK";

void AddTrailingBackslash(char* dataDir) {
  size_t n = strlen(dataDir);
  if (n == 0 || dataDir[n - 1] != '\\') {
    if (n + 1 < kPathSize) {
      dataDir[n] = '\\';
      dataDir[n + 1] = '\0';
    }
  }
}

bool DataDirFits(const char* dataDir) {
  size_t n = strlen(dataDir);
  return n > 0 && dataDir[n - 1] == '\\' && n + strlen(kLongestFileName) < kPathSize;
}

void BuildMutexName(const char* dataDir, char* name, size_t nameSize) {
  memset(name, 0, nameSize);
  strncpy(name, dataDir, nameSize - 1);
  for (char* p = name; *p; ++p)
    if (*p == '\\') *p = '@';
}
