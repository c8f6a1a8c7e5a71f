#include "aa_lines.h"

#include <cstring>
#include <new>

std::vector<std::string> ReadAALines(FILE* file) {
  std::vector<std::string> lines;
  char piece[kAAPieceSize];
  for (;;) {
    memset(piece, 0, sizeof piece);
    if (!fgets(piece, sizeof piece, file)) break;
    size_t n = strlen(piece);  // a zero byte ends the text
    if (n > 0 && piece[n - 1] == '\n') {
      piece[--n] = '\0';
      if (n > 0 && piece[n - 1] == '\r') piece[--n] = '\0';
    }
    try {
      if (n > 0) lines.emplace_back(piece, n);
    } catch (const std::bad_alloc&) {
      break;  // the lines read so far are shown
    }
  }
  return lines;
}
