#include "sync_progress.h"

#include <charconv>
#include <string_view>

#include "../store/file_io.h"

// Takes in one line; the key is split off at the last '=', as a PC's name may hold one.
static void ReadProgressLine(std::string_view line, SyncProgress* progress) {
  size_t equals = line.rfind('=');
  if (equals == std::string_view::npos || equals == 0) return;
  std::string_view digits = line.substr(equals + 1);
  int32_t count = -1;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
  if (error == std::errc() && end == digits.data() + digits.size() && count >= 0)
    (*progress)[std::string(line.substr(0, equals))] = count;
}

bool LoadSyncProgress(const std::string& path, SyncProgress* progress) {
  progress->clear();
  if (!PathExists(path.c_str())) return true;
  std::string text;
  if (!ReadWholeFile(path.c_str(), INT64_MAX, &text)) return false;
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ReadProgressLine(line, progress);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return true;
}

bool SaveSyncProgress(const std::string& path, const std::string& scratch, const SyncProgress& progress) {
  std::string text = "[IMPORTED]\r\n";
  for (const auto& [key, count] : progress) text += key + "=" + std::to_string(count) + "\r\n";
  return WriteFileSafely(path.c_str(), scratch.c_str(), text);
}
