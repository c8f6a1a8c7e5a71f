// Known answers for the sealing tests, computed once with another implementation of Argon2id
// and AES-256-GCM-SIV (not libgcrypt), and the small helpers the tests share.
#pragma once
#include <string>
#include <vector>

#include "../common/test_files.h"
#include "sync/key_file.h"
#include "sync/sealed_day_files.h"

extern size_t gFailAllocationsFrom;  // while not 0, allocations of as many bytes fail

// RFC 9106, 5.3: Argon2id, 32 KiB, 3 passes, 4 lanes, a 32-byte tag.
const std::string kRfcPassword(32, '\x01'), kRfcSalt(16, '\x02'), kRfcSecret(8, '\x03'), kRfcData(12, '\x04');
constexpr char kRfcTag[] = "0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659";

// The folder's key for this passphrase (UTF-8) and the salt 00 01 .. 0f of CountingKeyFile().
constexpr char kPassphrase[] = "合言葉 passphrase";
constexpr char kPassphraseKey[] = "768341edecfd849347877dd354b3ea3bac610037c9055953ac2bc8240d272dfc";

// Records sealed under the key 00 01 .. 1f with the nonce a0 .. ab for "Desk\20261208.PLX",
// ordinal 258: the text "Pelmor" padded right, without its 0x80, and with 58 bytes of padding.
constexpr char kKnownPlace[] = "Desk\\20261208.PLX";
constexpr int32_t kKnownOrdinal = 258;
constexpr char kKnownRecord[] =
    "01a0a1a2a3a4a5a6a7a8a9aaab368ef0eb9cede05890e750bcf90a95d3326928a11a144ab65f33c59f40af013d9d4ba1c4e68655"
    "ab51"
    "ebe6de579c0e6a";
constexpr char kNoMarkRecord[] =
    "01a0a1a2a3a4a5a6a7a8a9aaabf5aaf74e9afff89081e544e6f438af673055bd3a15d4bf5c8168b9d8c3bcfc9757045cf330b6c3"
    "c63f"
    "4f039d7d55ebad";
constexpr char kLongPadRecord[] =
    "01a0a1a2a3a4a5a6a7a8a9aaab893accaae5e59ddb949f88f9557e6b243e7b1e03a80cf9e87d32d23aba38466d4f9491de280cb3"
    "339a"
    "c21a61b38eff8daa5f3fdea17731085a72a7737d53cad3ae2a42110cf0fb8c8c6d4efa9e737d00";

inline std::string Bytes(const std::string& hex) {
  std::string bytes;
  ParseHex(hex, &bytes);
  return bytes;
}

// A key (or salt) whose bytes count up from first.
inline SealKey CountingKey(unsigned char first) {
  SealKey key;
  for (size_t i = 0; i < kKeySize; ++i) key.bytes[i] = static_cast<unsigned char>(first + i);
  return key;
}

// A key file whose salt counts up from 00 and whose check from c0.
inline KeyFile CountingKeyFile() {
  KeyFile file;
  for (size_t i = 0; i < kSaltSize; ++i) file.salt[i] = static_cast<unsigned char>(i);
  for (size_t i = 0; i < kCheckSize; ++i) file.check[i] = static_cast<unsigned char>(0xc0 + i);
  return file;
}

inline std::string Opened(const SealKey& key, std::string_view place, int32_t ordinal,
                          std::string_view sealed) {
  std::string text;
  return OpenSealedRecord(key, place, ordinal, sealed, &text) ? text : "(refused)";
}

// Another PC's sealed day file of these bytes, read from record `from` on, as
// "records available: the texts opened (how many refused)".
inline std::string ReadPeer(const std::string& path, const std::string& bytes, const std::string& place,
                            const SealKey& key, int32_t from) {
  WriteFileBytes(path, bytes);
  int32_t available = -1, refused = -1;
  std::vector<std::string> texts;
  if (!ReadPeerSealedDayFile(path, place, key, from, &available, &texts, &refused)) return "unread";
  std::string read = std::to_string(available) + ":";
  for (const std::string& t : texts) read += " " + t;
  return read + " (" + std::to_string(refused) + " refused)";
}
