// Fault injection for the POSIX file layer, so tests can make an operation fail
// part-way for real. Not compiled into the Windows program.
#pragma once
#include <cstdint>

struct FileFaults {
  int failOpen = 0;          // the n-th open from now fails (0: none)
  int failRename = 0;        // the n-th rename from now fails (0: none)
  int64_t writeBudget = -1;  // bytes that may still be written, then none (a crash); -1: unlimited
  int failWrite = 0;         // the n-th write from now stores half its bytes and fails (0: none)
  int failFlush = 0;         // the n-th flush from now fails (0: none)
};

extern FileFaults gFileFaults;
