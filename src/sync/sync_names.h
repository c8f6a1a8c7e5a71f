// Names in the sync folder: a PC's folder name and the day files in it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// A PC's name as a folder name (code page 932 bytes): \/:*?"<>| and control bytes become '_',
// as do dots and spaces at the end (Windows would drop them, so "PC." would be "PC"'s folder).
// A double-byte character stays whole, also when its second byte is 0x5C or 0x7C. A device's
// name (CON, NUL, COM1, "AUX.PC", ...) gets a '_' after it, as Windows makes no folder of it.
std::string CleanPcName(std::string_view name);

// Where the last separator of a path (code page 932 bytes) stands, a double-byte character's
// second byte never taken for one; npos when there is none.
size_t LastSeparator(std::string_view path, char separator);

struct CivilDate {
  int year, month, day;
};
// "YYYYMMDD.PLM"
std::string DayFileName(const CivilDate& day);
// True only for a name that is exactly 8 digits of a real date and ".PLM": conflict copies,
// temporary files and other names an engine leaves beside a day file are not day files.
bool ParseDayFileName(std::string_view name, CivilDate* day);
// Days since 1970-01-01, so dates can be counted apart.
int64_t DayNumber(const CivilDate& day);
// "YYYYMMDD.PLX": the day file of a folder with a passphrase, its texts sealed; parsed as
// strictly as the plain one.
std::string SealedDayFileName(const CivilDate& day);
bool ParseSealedDayFileName(std::string_view name, CivilDate* day);
