#include "sync_progress.h"

#include <charconv>
#include <string_view>

#include "../store/file_io.h"

namespace {

constexpr size_t kLongestId = 64;

// Takes in one line of a section; the key is split off at the last '=', as a PC's name may hold
// one (an ID never does).
void ReadProgressLine(std::string_view line, bool owners, SyncProgress* progress) {
  size_t equals = line.rfind('=');
  if (equals == std::string_view::npos || equals == 0) return;
  std::string key(line.substr(0, equals)), value(line.substr(equals + 1));
  if (owners) {
    if (IsKeepableId(value)) progress->owners[key] = value;
    return;
  }
  int32_t count = -1;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
  if (error == std::errc() && end == value.data() + value.size() && count >= 0) progress->imported[key] = count;
}

}  // namespace

bool IsKeepableId(const std::string& id) {
  if (id.empty() || id.size() > kLongestId) return false;
  for (char c : id)
    if (c < 0x20 || c > 0x7E || c == '=') return false;
  return true;
}

bool LoadSyncProgress(const std::string& path, SyncProgress* progress) {
  *progress = SyncProgress();
  if (!PathExists(path.c_str())) return true;
  std::string text;
  if (!ReadWholeFile(path.c_str(), INT64_MAX, &text)) return false;
  std::string_view rest = text;
  bool owners = false;  // lines before any section are counts, as they always were
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with('[') && line.ends_with(']'))
      owners = line == "[OWNERS]";
    else
      ReadProgressLine(line, owners, progress);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return true;
}

bool SaveSyncProgress(const std::string& path, const std::string& scratch, const SyncProgress& progress) {
  std::string text = "[IMPORTED]\r\n";
  for (const auto& [key, count] : progress.imported) text += key + "=" + std::to_string(count) + "\r\n";
  if (!progress.owners.empty()) text += "[OWNERS]\r\n";
  for (const auto& [name, id] : progress.owners) text += name + "=" + id + "\r\n";
  return WriteFileSafely(path.c_str(), scratch.c_str(), text);
}
