// Splitting AAList.txt into the AA list's rows.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

constexpr int kAAPieceSize = 2048;  // a line is read in pieces of at most 2047 bytes

// Reads the file as the AA list shows it: one entry per line piece, the line end
// removed, empty pieces skipped, text cut at a zero byte. A piece never ends inside a
// double-byte character of the code page.
std::vector<std::string> ReadAALines(FILE* file);

// True when the file is to be read as UTF-8: it starts with the byte-order mark, or it is
// valid UTF-8 and holds a character of three or more bytes (Japanese text in UTF-8 always
// does). Code page 932 text may well be valid UTF-8 of two-byte characters: ﾃｽﾄ、 is.
bool ReadsAsUtf8(std::string_view file);
// The rows of a UTF-8 file by the same rule, the byte-order mark left out; a piece of a
// long line never ends inside a character.
std::vector<std::string> SplitUtf8Lines(std::string_view file);
