// Splitting AAList.txt into the AA list's rows.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

constexpr int kAAPieceSize = 2048;  // a line is read in pieces of at most 2047 bytes

// Reads the file as the AA list shows it: one entry per line piece, the line end
// removed, empty pieces skipped, text cut at a zero byte.
std::vector<std::string> ReadAALines(FILE* file);
