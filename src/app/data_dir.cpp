#include "data_dir.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include "../store/text_search.h"
#endif

// The longest name the program forms in the data directory (the rotation scratch files
// are no longer than this).
static const char kLongestFileName[] = "Pelmor.DAT.BAK";

bool IsLeadByte(unsigned char byte) {
#ifdef _WIN32
  return IsDBCSLeadByte(byte) != FALSE;  // the system code page, 932 on Japanese systems
#else
  return IsCp932LeadByte(byte);
#endif
}

// A trail byte may be 0x5C (表 is 0x95 0x5C): only a backslash that is a character of its
// own ends the path in one.
bool EndsInBackslash(const char* path) {
  bool endsInBackslash = false;
  for (const char* p = path; *p; ++p) {
    endsInBackslash = *p == '\\';
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1]) ++p;
  }
  return endsInBackslash;
}

void AddTrailingBackslash(char* dataDir) {
  size_t n = strlen(dataDir);
  if (!EndsInBackslash(dataDir) && n + 1 < kPathSize) {
    dataDir[n] = '\\';
    dataDir[n + 1] = '\0';
  }
}

bool DataDirFits(const char* dataDir) {
  size_t n = strlen(dataDir);
  return n > 0 && EndsInBackslash(dataDir) && n + strlen(kLongestFileName) < kPathSize;
}

// Walked by whole characters, so a trail byte 0x5C stays as it is (the system makes the
// name UTF-16 before it uses it). '*' never occurs in a path: escaping '@' with it keeps
// a@b apart from a\b, and every other folder keeps the name it always had.
void BuildMutexName(const char* dataDir, char* name, size_t nameSize) {
  memset(name, 0, nameSize);
  size_t n = 0;
  for (const char* p = dataDir; *p && n + 1 < nameSize; ++p) {
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1]) {
      if (n + 2 >= nameSize) break;  // a double-byte character goes whole or not at all
      name[n++] = *p++;
      name[n++] = *p;
    } else {
      name[n++] = *p == '\\' ? '@' : *p == '@' ? '*' : *p;
    }
  }
}
