// Files as the tests of both trees make and read them: whole files, and record file bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::string ReadFileBytes(const std::string& path);  // empty when missing
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileThere(const std::string& path);

std::string Int32Bytes(int32_t value);  // little-endian
// A record file: the count (the number of texts unless given), then length-prefixed texts.
std::string RecordBytes(const std::vector<std::string>& texts);
std::string RecordBytes(int32_t count, const std::vector<std::string>& texts);
