#include "record_text.h"

std::string_view CodePageText(std::string_view record) { return record.substr(0, record.find('\0')); }

bool ExactText(std::string_view record, std::string_view* exact) {
  size_t zero = record.find('\0');
  if (zero == std::string_view::npos || !IsValidUtf8(record.substr(zero + 1))) return false;
  *exact = record.substr(zero + 1);
  return true;
}

std::string RecordWithExactText(std::string_view codePageText, std::string_view utf8) {
  std::string record(CodePageText(codePageText));
  record += '\0';
  record += utf8;
  return record;
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0, n = bytes.size(); i < n;) {
    unsigned char c = b[i];
    // Sequence length and the range of its second byte (no overlong forms, no surrogates,
    // nothing above U+10FFFF).
    size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > n) return false;
    if (length > 1) {
      unsigned char low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
      unsigned char high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
      if (b[i + 1] < low || b[i + 1] > high) return false;
      for (size_t k = 2; k < length; ++k)
        if (b[i + k] < 0x80 || b[i + k] > 0xBF) return false;
    }
    i += length;
  }
  return true;
}
