// The sync folder's key as this PC keeps it: sealed for the Windows user with CryptProtectData,
// so that only this user on this PC can open it, and written as hex into [SYNC] KEY=.
#pragma once
#include <string>
#include <string_view>

#include "../sync/sealing.h"

// The key sealed for this user, as hex; false when Windows refuses.
bool ProtectKeyForUser(const SealKey& key, std::string* hex);
// The key back from that hex; false when it is not hex, is damaged, was sealed for another
// user or PC, or does not hold a key.
bool UnprotectKeyForUser(std::string_view hex, SealKey* key);
