#include "aa_lines.h"

#include "../app/data_dir.h"
#include "../store/record_text.h"

#include <algorithm>
#include <cstring>
#include <new>

// A full piece that ends in the first byte of a double-byte character gives that byte back
// to the file: the character then starts the next piece whole. Pieces begin on a character.
static void GiveBackCutCharacter(char* piece, FILE* file) {
  const size_t last = kAAPieceSize - 2;
  if (piece[last] == '\0') return;  // shorter than 2047 bytes (the buffer was zero-filled)
  size_t start = 0;
  while (start < last) start += IsLeadByte(static_cast<unsigned char>(piece[start])) ? 2 : 1;
  if (start == last && IsLeadByte(static_cast<unsigned char>(piece[last]))) {
    ungetc(static_cast<unsigned char>(piece[last]), file);
    piece[last] = '\0';
  }
}

std::vector<std::string> ReadAALines(FILE* file) {
  std::vector<std::string> lines;
  char piece[kAAPieceSize];
  for (;;) {
    memset(piece, 0, sizeof piece);
    if (!fgets(piece, sizeof piece, file)) break;
    GiveBackCutCharacter(piece, file);
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

static const std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool ReadsAsUtf8(std::string_view file) {
  if (file.substr(0, 3) == kByteOrderMark) return true;
  // In valid UTF-8 a byte from 0xE0 up begins a character of three or four bytes.
  bool longCharacter = false;
  for (char c : file) longCharacter = longCharacter || static_cast<unsigned char>(c) >= 0xE0;
  return longCharacter && IsValidUtf8(file);
}

std::vector<std::string> SplitUtf8Lines(std::string_view file) {
  if (file.substr(0, 3) == kByteOrderMark) file.remove_prefix(3);
  std::vector<std::string> lines;
  while (!file.empty()) {
    size_t end = std::min(file.size(), static_cast<size_t>(kAAPieceSize - 1));
    size_t lineFeed = file.substr(0, end).find('\n');
    if (lineFeed != std::string_view::npos) {
      end = lineFeed + 1;
    } else if (end < file.size()) {
      size_t whole = end;  // back to where a character starts
      while (whole > 0 && (static_cast<unsigned char>(file[whole]) & 0xC0) == 0x80) --whole;
      if (whole > 0) end = whole;
    }
    std::string_view piece = file.substr(0, end);
    file.remove_prefix(end);
    if (!piece.empty() && piece.back() == '\n') {
      piece.remove_suffix(1);
      if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    }
    piece = piece.substr(0, piece.find('\0'));
    try {
      if (!piece.empty()) lines.emplace_back(piece);
    } catch (const std::bad_alloc&) {
      break;  // the lines read so far are shown
    }
  }
  return lines;
}
