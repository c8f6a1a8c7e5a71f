#include "sync_names.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Names Windows keeps for devices: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9, LPT0-9, in any case,
// also before an extension ("AUX.PC") and with spaces after them.
bool IsDeviceName(std::string_view base) {
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string upper(base);
  for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (upper == device) return true;
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '0' &&
         upper[3] <= '9';
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::string CleanPcName(std::string_view name) {
  std::string clean;
  for (size_t i = 0; i < name.size(); ++i) {
    auto c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c) && i + 1 < name.size() && IsTrailByte(static_cast<unsigned char>(name[i + 1]))) {
      clean.append(name.substr(i++, 2));
      continue;
    }
    // A lead byte without its second byte would take the separator after it as its own.
    bool bad = c < 0x20 || c == 0x7F || IsLeadByte(c) || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    clean += bad ? '_' : static_cast<char>(c);
  }
  // Dots and spaces are never second bytes, so the end can be walked back byte by byte.
  for (size_t i = clean.size(); i > 0 && (clean[i - 1] == '.' || clean[i - 1] == ' '); --i) clean[i - 1] = '_';
  // A device's name cannot be a folder's: "CON" becomes "CON_", "aux.pc" "aux_.pc".
  size_t base = std::min(clean.find('.'), clean.size());
  if (IsDeviceName(std::string_view(clean).substr(0, base))) clean = clean.substr(0, base) + '_' + clean.substr(base);
  return clean;
}

size_t LastSeparator(std::string_view path, char separator) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == separator) last = i;
    if (IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size() &&
        IsTrailByte(static_cast<unsigned char>(path[i + 1])))
      ++i;
  }
  return last;
}

std::string DayFileName(const CivilDate& day) {
  char name[32];
  snprintf(name, sizeof name, "%04d%02d%02d.PLM", day.year, day.month, day.day);
  return name;
}

bool ParseDayFileName(std::string_view name, CivilDate* day) {
  if (name.size() != 12 || name.substr(8) != ".PLM") return false;
  int digits[8];
  for (int i = 0; i < 8; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    digits[i] = name[i] - '0';
  }
  CivilDate d{digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3], digits[4] * 10 + digits[5],
              digits[6] * 10 + digits[7]};
  if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month)) return false;
  *day = d;
  return true;
}

int64_t DayNumber(const CivilDate& day) {
  // Counted in 400-year eras of the Gregorian calendar, each year starting in March, so the
  // leap day falls at the end of a year.
  int64_t y = day.year - (day.month <= 2 ? 1 : 0);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yearOfEra = y - era * 400;
  int64_t dayOfYear = (153 * ((day.month + 9) % 12) + 2) / 5 + day.day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::string SealedDayFileName(const CivilDate& day) { return DayFileName(day).replace(9, 3, "PLX"); }

bool ParseSealedDayFileName(std::string_view name, CivilDate* day) {
  return name.size() == 12 && name.substr(8) == ".PLX" && ParseDayFileName(std::string(name.substr(0, 8)) + ".PLM", day);
}
