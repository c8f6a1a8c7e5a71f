// Conversions between the code page of the record files (the system's ANSI code page,
// 932 on Japanese systems), UTF-16 of the clipboard and the windows, and UTF-8 of the
// exact texts.
#pragma once
#include <string>
#include <string_view>

std::wstring WideFromCodePage(std::string_view text);
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// The text in the code page; *lost is set when a character had no place in it (it then
// stands as the default character).
std::string CodePageFromWide(std::wstring_view text, bool* lost);
// How a record reads: its exact text when it has one, else its code page text.
std::wstring WideOfRecord(std::string_view record);
