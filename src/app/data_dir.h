// The data directory and the single-instance mutex name derived from it.
#pragma once
#include <cstddef>

constexpr size_t kPathSize = 260;  // every path is a 260-byte buffer (259 characters at most)

// True for the first byte of a double-byte character of the system code page.
bool IsLeadByte(unsigned char byte);
// True when the path's last character (not merely its last byte) is a backslash.
bool EndsInBackslash(const char* path);
// Appends a backslash unless the directory already ends in one.
void AddTrailingBackslash(char* dataDir);
// True when the directory plus the longest file name of the program fits in kPathSize.
bool DataDirFits(const char* dataDir);
// The name of the single-instance mutex, one of its own for every directory: the directory
// with each backslash character made '@' and each '@' made '*' (nameSize bytes at most).
void BuildMutexName(const char* dataDir, char* name, size_t nameSize);
