#include "test_files.h"

#include <fstream>
#include <sstream>

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool FileThere(const std::string& path) { return std::ifstream(path).good(); }

std::string Int32Bytes(int32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
  return bytes;
}

std::string RecordBytes(int32_t count, const std::vector<std::string>& texts) {
  std::string bytes = Int32Bytes(count);
  for (const std::string& t : texts) bytes += Int32Bytes(static_cast<int32_t>(t.size())) + t;
  return bytes;
}

std::string RecordBytes(const std::vector<std::string>& texts) {
  return RecordBytes(static_cast<int32_t>(texts.size()), texts);
}
