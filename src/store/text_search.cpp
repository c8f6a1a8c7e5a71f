#include "text_search.h"

#include <array>

namespace {

struct ByteTables {
  std::array<unsigned char, 256> fold;    // ASCII letters to lower case, other bytes as they are
  std::array<unsigned char, 256> length;  // 2 for a lead byte, else 1
};

constexpr ByteTables MakeTables() {
  ByteTables t{};
  for (int b = 0; b < 256; ++b) {
    t.fold[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
    t.length[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
  }
  return t;
}

constexpr ByteTables kTables = MakeTables();

// The needle at the start of the text, both walked by characters of the needle: a
// double-byte character must be equal in both bytes, a single one in either case.
bool MatchesHere(const unsigned char* text, const unsigned char* needle, size_t size) {
  for (size_t i = 0; i < size;) {
    if (kTables.length[needle[i]] == 2 && i + 1 < size) {
      if (text[i] != needle[i] || text[i + 1] != needle[i + 1]) return false;
      i += 2;
    } else {
      if (kTables.fold[text[i]] != kTables.fold[needle[i]]) return false;
      i += 1;
    }
  }
  return true;
}

}  // namespace

bool IsCp932LeadByte(unsigned char byte) { return kTables.length[byte] == 2; }

bool ContainsText(std::string_view text, std::string_view needle) {
  if (needle.empty()) return true;
  if (needle.size() > text.size()) return false;
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const auto* n = reinterpret_cast<const unsigned char*>(needle.data());
  const unsigned char first = kTables.fold[n[0]];
  const size_t last = text.size() - needle.size();
  // Only character boundaries of the text are tried.
  for (size_t i = 0; i <= last; i += kTables.length[t[i]])
    if (kTables.fold[t[i]] == first && MatchesHere(t + i, n, needle.size())) return true;
  return false;
}
