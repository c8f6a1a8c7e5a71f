// A fresh folder for tests that work on real files, removed with its contents afterwards,
// and the guard that clears injected file faults when a test ends.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "../common/test_files.h"
#include "store/file_faults.h"

struct TempDir {
  TempDir() {
    char pattern[] = "/tmp/pelmor-test-XXXXXX";
    path = std::string(mkdtemp(pattern)) + "/";
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string path;  // ends in '/'
  std::string File(const std::string& name) const { return path + name; }
};

struct FaultGuard {
  ~FaultGuard() { gFileFaults = FileFaults(); }
};
