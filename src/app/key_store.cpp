#include "key_store.h"

#include <windows.h>
// after windows.h, which it needs
#include <wincrypt.h>

#include <cstring>

#include "../sync/key_file.h"

bool ProtectKeyForUser(const SealKey& key, std::string* hex) {
  DATA_BLOB plain{static_cast<DWORD>(kKeySize), const_cast<BYTE*>(key.bytes)};
  DATA_BLOB sealed{};
  // No prompt ever: the program may run at logon with nobody to answer one.
  if (!CryptProtectData(&plain, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &sealed))
    return false;
  *hex = HexOf(sealed.pbData, sealed.cbData);
  LocalFree(sealed.pbData);
  return true;
}

bool UnprotectKeyForUser(std::string_view hex, SealKey* key) {
  std::string bytes;
  if (!ParseHex(hex, &bytes) || bytes.empty()) return false;
  DATA_BLOB sealed{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
  DATA_BLOB plain{};
  if (!CryptUnprotectData(&sealed, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain))
    return false;
  bool ok = plain.cbData == kKeySize;
  if (ok) memcpy(key->bytes, plain.pbData, kKeySize);
  SecureZeroMemory(plain.pbData, plain.cbData);
  LocalFree(plain.pbData);
  return ok;
}
