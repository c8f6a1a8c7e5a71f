#include "text_search.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define PELMOR_AVX2 1
#endif

namespace {

struct ByteTables {
  std::array<unsigned char, 256> fold;    // ASCII letters to lower case, other bytes as they are
  std::array<unsigned char, 256> length;  // 2 for a lead byte, else 1
  std::array<unsigned char, 256> kind;    // of 64: letters in either case alike, ASCII apart
};

constexpr ByteTables MakeTables() {
  ByteTables t{};
  for (int b = 0; b < 256; ++b) {
    t.fold[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
    t.length[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
    t.kind[b] = static_cast<unsigned char>((b >= 'a' && b <= 'z' ? b - ('a' - 'A') : b) & 63);
  }
  return t;
}

constexpr ByteTables kTables = MakeTables();

// The needle at the start of the text, both walked by characters of the needle: a
// double-byte character must be equal in both bytes, a single one in either case. In UTF-8
// a letter is never part of another character, so each byte stands alone.
bool MatchesHere(const unsigned char* text, const unsigned char* needle, size_t size, TextEncoding encoding) {
  for (size_t i = 0; i < size;) {
    if (encoding == kCodePage932 && kTables.length[needle[i]] == 2 && i + 1 < size) {
      if (text[i] != needle[i] || text[i + 1] != needle[i + 1]) return false;
      i += 2;
    } else {
      if (kTables.fold[text[i]] != kTables.fold[needle[i]]) return false;
      i += 1;
    }
  }
  return true;
}

// True when a character starts at this offset, given a place before it where one starts:
// the bytes between that may begin a double-byte character pair up (a byte that cannot
// begin one ends a character). *known moves up to the offset, so that the bytes between
// are looked at once in all.
bool StartsCharacter(const unsigned char* text, size_t offset, size_t* known) {
  size_t run = 0;
  while (run < offset - *known && kTables.length[text[offset - run - 1]] == 2) ++run;
  bool starts = run % 2 == 0;
  *known = starts ? offset : offset - 1;  // else the character before it covers it
  return starts;
}

// The places of a byte in a text, in either case for a letter, from the front: memchr
// for each case, each looked for again only once passed.
struct ByteFinder {
  ByteFinder(const unsigned char* begin, const unsigned char* end, unsigned char byte) : end(end) {
    const unsigned char lower = kTables.fold[byte];
    cases[0] = lower;
    cases[1] = lower >= 'a' && lower <= 'z' ? static_cast<unsigned char>(lower - ('a' - 'A')) : lower;
    for (int i = 0; i < 2; ++i) next[i] = Find(begin, cases[i]);
  }
  const unsigned char* Find(const unsigned char* from, unsigned char b) const {
    if (from >= end) return end;
    return reinterpret_cast<const unsigned char*>(FindByte(reinterpret_cast<const char*>(from),
                                                            reinterpret_cast<const char*>(end), static_cast<char>(b)));
  }
  // The next place, or end.
  const unsigned char* Take() {
    int i = next[1] < next[0] ? 1 : 0;
    const unsigned char* at = next[i];
    if (at < end) next[i] = Find(at + 1, cases[i]);
    if (cases[1] == cases[0]) next[1] = next[0];
    return at;
  }
  const unsigned char* end;
  unsigned char cases[2];
  const unsigned char* next[2];
};

// The first place in [p, end) of a byte equal to a, to b or zero, or end.
const unsigned char* FindAnyOf3(const unsigned char* p, const unsigned char* end, unsigned char a, unsigned char b) {
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i wa = _mm_set1_epi8(static_cast<char>(a)), wb = _mm_set1_epi8(static_cast<char>(b)),
                zero = _mm_setzero_si128();
  for (; end - p >= 16; p += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, wa), _mm_cmpeq_epi8(v, wb)), _mm_cmpeq_epi8(v, zero));
    int hits = _mm_movemask_epi8(hit);
    if (hits != 0) return p + std::countr_zero(static_cast<unsigned>(hits));
  }
#endif
  while (p < end && *p != a && *p != b && *p != 0) ++p;
  return p;
}

#ifdef PELMOR_AVX2
// The same 32 bytes at a time, on processors that have AVX2 (asked once, at run time).
__attribute__((target("avx2"))) const unsigned char* FindAnyOf3Wide(const unsigned char* p, const unsigned char* end,
                                                                     unsigned char a, unsigned char b) {
  const __m256i wa = _mm256_set1_epi8(static_cast<char>(a)), wb = _mm256_set1_epi8(static_cast<char>(b)),
                zero = _mm256_setzero_si256();
  for (; end - p >= 32; p += 32) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    __m256i hit =
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, wa), _mm256_cmpeq_epi8(v, wb)), _mm256_cmpeq_epi8(v, zero));
    unsigned hits = static_cast<unsigned>(_mm256_movemask_epi8(hit));
    if (hits != 0) return p + std::countr_zero(hits);
  }
  // The rest here too: a call into the 16-byte code would mix the two kinds of instruction.
  while (p < end && *p != a && *p != b && *p != 0) ++p;
  return p;
}

bool gWideVectors = [] {
  __builtin_cpu_init();  // it may run before the library's own start-up asked the processor
  return __builtin_cpu_supports("avx2") != 0;
}();
#else
bool gWideVectors = false;
#endif

const unsigned char* FindCandidate(const unsigned char* p, const unsigned char* end, unsigned char a, unsigned char b) {
#ifdef PELMOR_AVX2
  if (gWideVectors) return FindAnyOf3Wide(p, end, a, b);
#endif
  return FindAnyOf3(p, end, a, b);
}

}  // namespace

const char* FindByte(const char* begin, const char* end, char byte) {
  const char* p = begin;
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i wanted = _mm_set1_epi8(byte);
  for (; end - p >= 16; p += 16) {
    int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), wanted));
    if (hits != 0) return p + std::countr_zero(static_cast<unsigned>(hits));
  }
#endif
  while (p < end && *p != byte) ++p;
  return p;
}

bool UseWideVectors(bool wide) {
  static const bool available = gWideVectors;
  gWideVectors = wide && available;
  return gWideVectors;
}

uint64_t ByteKindsOf(std::string_view text) {
  uint64_t kinds = 0;
  for (char c : text) kinds |= uint64_t{1} << kTables.kind[static_cast<unsigned char>(c)];
  return kinds;
}

bool IsCp932LeadByte(unsigned char byte) { return kTables.length[byte] == 2; }

bool ContainsText(std::string_view text, std::string_view needle, TextEncoding encoding) {
  if (needle.empty()) return true;
  if (needle.size() > text.size()) return false;
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const auto* n = reinterpret_cast<const unsigned char*>(needle.data());
  const unsigned char* last = t + (text.size() - needle.size());
  // Only places where a character starts count.
  ByteFinder first(t, last + 1, n[0]);
  size_t known = 0;
  for (const unsigned char* at = first.Take(); at <= last; at = first.Take())
    if ((encoding == kUtf8 || StartsCharacter(t, static_cast<size_t>(at - t), &known)) &&
        MatchesHere(at, n, needle.size(), encoding))
      return true;
  return false;
}

bool ContainsBeforeZero(std::string_view text, std::string_view needle, size_t* zero) {
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = t + text.size();
  auto zeroFrom = [&](const unsigned char* from) {
    *zero = static_cast<size_t>(reinterpret_cast<const unsigned char*>(
                                    FindByte(reinterpret_cast<const char*>(from), text.data() + text.size(), '\0')) - t);
  };
  if (needle.empty() || needle.find('\0') != std::string_view::npos) {  // never so from the filter line
    zeroFrom(t);
    return ContainsText(text.substr(0, *zero), needle);
  }
  const auto* n = reinterpret_cast<const unsigned char*>(needle.data());
  // Both cases of a letter and the zero are looked for at once. A match never holds the zero
  // (the needle has none), so one found before it lies in the code page text.
  const unsigned char lower = kTables.fold[n[0]];
  const unsigned char upper = lower >= 'a' && lower <= 'z' ? static_cast<unsigned char>(lower - ('a' - 'A')) : lower;
  size_t known = 0;
  const unsigned char* at = FindCandidate(t, end, lower, upper);
  for (; at < end && *at != 0 && static_cast<size_t>(end - at) >= needle.size();
       at = FindCandidate(at + 1, end, lower, upper)) {
    if (StartsCharacter(t, static_cast<size_t>(at - t), &known) && MatchesHere(at, n, needle.size(), kCodePage932)) {
      zeroFrom(at + needle.size());
      return true;
    }
  }
  zeroFrom(at);
  return false;
}
