// Finding a text inside another the way the filter line does: character by character in
// code page 932, so that a double-byte character is compared whole and never matches
// across a character boundary, with ASCII letters in either case.
#pragma once
#include <cstdint>
#include <string_view>

// The first place of the byte in [begin, end), or end: 16 bytes at a time. (The C library's
// memchr under Wine looks at one byte at a time, and the filter looks through every text.)
const char* FindByte(const char* begin, const char* end, char byte);

// The kinds of byte a text holds, a bit for each of 64 (letters in either case are one kind,
// the printable ASCII characters each a kind of their own): a text that holds the needle holds
// every kind of byte the needle does, in either encoding.
uint64_t ByteKindsOf(std::string_view text);

// Bytes that begin a double-byte character in code page 932.
bool IsCp932LeadByte(unsigned char byte);

enum TextEncoding { kCodePage932, kUtf8 };

// A record's code page text is the bytes before its first zero byte: true when they hold the
// needle (as ContainsText), looked for in the same pass that finds that zero. *zero gets the
// zero's offset (text.size() without one).
bool ContainsBeforeZero(std::string_view text, std::string_view needle, size_t* zero);

// The filter's search uses 32-byte vectors where the processor has them (AVX2), else 16 bytes;
// false keeps it to 16, as on a processor without them. True when the wide ones are used.
bool UseWideVectors(bool wide);

// True when the text holds the needle, starting at a character boundary. An empty needle
// is found everywhere. In UTF-8 (both valid) every place the needle's first byte is found
// starts a character.
bool ContainsText(std::string_view text, std::string_view needle, TextEncoding encoding = kCodePage932);
