#include "wide_text.h"

#include <windows.h>

#include "../store/record_text.h"

static std::wstring ToWide(UINT codePage, std::string_view text) {
  int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::wstring WideFromCodePage(std::string_view text) { return ToWide(CP_ACP, text); }
std::wstring WideFromUtf8(std::string_view text) { return ToWide(CP_UTF8, text); }

std::string Utf8FromWide(std::wstring_view text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::string CodePageFromWide(std::wstring_view text, bool* lost) {
  // No best fit: a character the code page lacks must show as lost, not as a look-alike.
  BOOL usedDefault = FALSE;
  int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), size, nullptr, &usedDefault);
  *lost = usedDefault != FALSE;
  return bytes;
}

std::wstring WideOfRecord(std::string_view record) {
  std::string_view exact;
  return ExactText(record, &exact) ? WideFromUtf8(exact) : WideFromCodePage(CodePageText(record));
}
