// The cryptography of a sync folder with a passphrase, all of it libgcrypt's: the key is
// Argon2id's output for the passphrase and the folder's salt; each record's text leaves the PC
// sealed with AES-256-GCM-SIV, bound to its day file and its ordinal there, so a record that
// is changed, reordered or moved into another file or another PC's folder fails to open.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr size_t kKeySize = 32;
constexpr size_t kSaltSize = 16;
constexpr size_t kCheckSize = 32;
// The derivation's cost: 64 MiB, 3 passes, 1 lane (about 0.2 s).
constexpr unsigned long kArgonMemoryKiB = 65536;
constexpr unsigned long kArgonPasses = 3;
constexpr unsigned long kArgonLanes = 1;

// Overwrites the bytes in a way the compiler does not drop.
void WipeBytes(void* bytes, size_t size);

// The key the texts are sealed under; its bytes are wiped when it goes.
struct SealKey {
  unsigned char bytes[kKeySize] = {};
  SealKey() = default;
  SealKey(const SealKey&) = default;
  SealKey& operator=(const SealKey&) = default;
  ~SealKey() { WipeBytes(bytes, sizeof bytes); }
};

// False when libgcrypt is older than 1.10 (nothing can be sealed then). Every function here
// starts the library on first use; calling this is only for asking.
bool CryptoReady();

// Random bytes from libgcrypt's strong source.
bool RandomBytes(void* out, size_t size);

// Argon2id with every input RFC 9106 names; out gets size bytes. False when the library
// refuses the parameters or has no memory for them.
struct Argon2Input {
  std::string_view passphrase, salt, secret, associatedData;
  unsigned long memoryKiB = kArgonMemoryKiB, passes = kArgonPasses, lanes = kArgonLanes;
};
bool Argon2id(const Argon2Input& input, void* out, size_t size);

// The folder's key: Argon2id of the passphrase (its UTF-8 bytes, so that every PC derives the
// same key) with the salt and the parameters above. Nothing here copies the passphrase; the
// caller wipes its buffer as soon as its derivations are done.
bool DeriveKey(std::string_view passphrase, const unsigned char (&salt)[kSaltSize], SealKey* key);

// A keyed hash (HMAC-SHA256) of a fixed label under the key: it tells a right passphrase from
// a wrong one and, being one-way, tells nothing of the key.
bool KeyCheck(const SealKey& key, unsigned char (&check)[kCheckSize]);

// Seals a record's text (its code page bytes, and the zero and UTF-8 where present) for the
// record at ordinal of the day file named by place ("NAME\YYYYMMDD.PLX"): padded with 0x80 and
// zeros to a multiple of 32 bytes, so a length says little, and put out as version byte 1, a
// 12-byte random nonce, the ciphertext and the 16-byte tag. False when the library fails.
bool SealRecord(const SealKey& key, std::string_view place, int32_t ordinal, std::string_view text,
                std::string* sealed);

// The text of a sealed record, when it opens under the key for that place and ordinal and its
// version and padding are right; false for anything else (*text is then empty).
bool OpenSealedRecord(const SealKey& key, std::string_view place, int32_t ordinal, std::string_view sealed,
                      std::string* text);
