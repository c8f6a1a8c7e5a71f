// The text of a record. A captured text is its code page 932 bytes, as every reader of the
// record file expects; when that code page cannot hold the text, the record goes on with a
// zero byte and the exact text in UTF-8 (a captured text never holds a zero byte itself).
#pragma once
#include <string>
#include <string_view>

// The code page text: the bytes before the first zero byte.
std::string_view CodePageText(std::string_view record);
// The exact text, when the record has one: valid UTF-8 after the first zero byte.
bool ExactText(std::string_view record, std::string_view* exact);
// Where that exact text starts in the record; 0 when it has none.
size_t ExactTextStart(std::string_view record);
// The first characters of what a record reads as: its exact text when it starts at exactStart,
// else (at 0) its code page text; whole characters, as many as make `units` UTF-16 units (or
// all there are). A row that shows fewer units reads them the same as from the whole record,
// however long the record is.
std::string_view TextPrefix(std::string_view record, size_t exactStart, size_t units);
// The record of a text whose exact form the code page cannot hold.
std::string RecordWithExactText(std::string_view codePageText, std::string_view utf8);

bool IsValidUtf8(std::string_view bytes);
