#include "record_text.h"

#include "text_search.h"

std::string_view CodePageText(std::string_view record) { return record.substr(0, record.find('\0')); }

bool ExactText(std::string_view record, std::string_view* exact) {
  size_t start = ExactTextStart(record);
  if (start == 0) return false;
  *exact = record.substr(start);
  return true;
}

size_t ExactTextStart(std::string_view record) {
  size_t zero = record.find('\0');
  return zero == std::string_view::npos || !IsValidUtf8(record.substr(zero + 1)) ? 0 : zero + 1;
}

std::string_view TextPrefix(std::string_view record, size_t exactStart, size_t units) {
  std::string_view text = record.substr(exactStart);
  size_t end = 0;
  for (size_t counted = 0; counted < units && end < text.size(); ++counted) {
    auto byte = static_cast<unsigned char>(text[end]);
    if (exactStart > 0) {  // UTF-8: a character beyond the 16-bit range is two units
      size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
      counted += length == 4;
      end += length;
    } else {  // the code page text ends at its zero byte; a character is one unit
      if (byte == 0) break;
      end += IsCp932LeadByte(byte) && end + 1 < text.size() && text[end + 1] != '\0' ? 2 : 1;
    }
  }
  return text.substr(0, end);
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
