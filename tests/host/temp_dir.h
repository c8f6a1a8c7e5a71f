// A fresh folder for tests that work on real files, removed with its contents afterwards,
// and the guard that clears injected file faults when a test ends.
#pragma once
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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
  // What repairs kept beside the damaged files (named *.BAD), in the order of their names.
  std::vector<std::string> KeptCopies() const {
    std::vector<std::string> names, copies;
    for (const auto& entry : std::filesystem::directory_iterator(path))
      if (entry.path().extension() == ".BAD") names.push_back(entry.path());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) copies.push_back(ReadFileBytes(name));
    return copies;
  }
};

struct FaultGuard {
  ~FaultGuard() { gFileFaults = FileFaults(); }
};
