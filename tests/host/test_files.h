// Helpers for tests that work on real files in a fresh temporary directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "store/file_faults.h"

// A fresh directory, removed with everything in it when the object goes.
struct TempDir {
  TempDir();
  ~TempDir();
  std::string path;  // ends in '/'
  std::string File(const std::string& name) const { return path + name; }
};

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// Record file bytes: a count, then length-prefixed texts.
std::string RecordBytes(int32_t count, const std::vector<std::string>& texts);
std::string RecordBytes(const std::vector<std::string>& texts);
std::string Int32Bytes(int32_t value);

// Clears every injected fault when the test ends.
struct FaultGuard {
  ~FaultGuard() { gFileFaults = FileFaults(); }
};
