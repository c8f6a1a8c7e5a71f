// Pelmor.KEY: the sync folder's passphrase record. The first PC that sets a passphrase for the
// folder makes it; it is never rewritten. It holds the salt every PC derives the key with and a
// check that tells a right passphrase from a wrong one, never the key or the passphrase:
//   [KEY]  KDF=argon2id  SALT=<16 bytes, hex>  MEMORY=65536  PASSES=3  LANES=1  CHECK=<32 bytes, hex>
// one line each, CR LF. Only these parameters are accepted: a file that asks for another
// derivation (gigabytes, or hours) is refused as damaged.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "sealing.h"

struct KeyFile {
  unsigned char salt[kSaltSize] = {};
  unsigned char check[kCheckSize] = {};
  bool operator==(const KeyFile&) const = default;
};

// Lower-case hex of the bytes.
std::string HexOf(const void* bytes, size_t size);
// The bytes of a hex text (either case); false for an odd number of digits or a non-hex byte.
bool ParseHex(std::string_view hex, std::string* bytes);

// The file's text, exactly as it is written.
std::string KeyFileText(const KeyFile& file);
// The salt and check of a file's text; false for anything damaged: no [KEY] first, a key of
// ours missing or given twice, another KDF or parameter, bad hex, a wrong length. LF line ends
// and lines of other keys are let pass.
bool ParseKeyFile(std::string_view text, KeyFile* file);

enum class KeyFileStatus {
  kValid,
  kMissing,     // the folder is there and the file is not
  kDamaged,     // there, but not a key file (or larger than one can be)
  kUnreadable,  // neither it nor its folder can be read now (a network folder away)
};
KeyFileStatus ReadKeyFile(const std::string& path, KeyFile* file);

// Writes the file under the scratch name (same volume), flushed, and renames it to path only
// when no file is there, so that of two PCs making one at once the first keeps its file.
// False when a file was there or the writing failed; the scratch file is removed.
bool WriteNewKeyFile(const std::string& path, const std::string& scratch, const KeyFile& file);

// The key is the folder's: its check is the file's.
bool KeyMatches(const KeyFile& file, const SealKey& key);

enum class JoinResult {
  kJoined,           // the folder's file is there and the passphrase is its
  kNew,              // there is none: *joined is a new file (a new salt) for WriteNewKeyFile to make
  kWrongPassphrase,  // the folder's file belongs to another passphrase
  kDamaged,          // the folder's file is not a key file: nothing may be written over it
  kUnusable,         // the folder cannot be read now
  kFailed,           // the derivation failed (no memory for it)
};
// What the passphrase (its UTF-8 bytes, never empty) joins in the folder whose Pelmor.KEY is at
// path: the key of the folder's file when the passphrase is its, or a new file with a new salt
// when there is none. Only read and derived, nothing written, so that the options page can
// check a passphrase and leave the making of the file to OK. *key and *joined are set for
// kJoined and kNew only. The passphrase's bytes are wiped before it returns, whatever the outcome.
JoinResult JoinKeyFile(const std::string& path, char* passphrase, size_t length, SealKey* key, KeyFile* joined);
// The same for a folder that is not there yet (made at OK): always a new file.
JoinResult NewKeyFile(char* passphrase, size_t length, SealKey* key, KeyFile* made);

// The folder's key file is no longer the one joined: another is there (another PC made one at
// the same moment and the engine kept that one), or a damaged one, or none while the folder is
// there. False while it is the joined one or cannot be read now. Reads one small file.
bool KeyFileReplaced(const std::string& path, const KeyFile& joined);
