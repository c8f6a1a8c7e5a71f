#include "sealing.h"

#include <gcrypt.h>

namespace {

constexpr unsigned char kVersion = 1;
constexpr size_t kNonceSize = 12;
constexpr size_t kTagSize = 16;
constexpr size_t kPadBlock = 32;
constexpr size_t kSealedOverhead = 1 + kNonceSize + kTagSize;
// Texts up to this size are sealed: the sealed record must still fit a record's 32-bit length.
constexpr size_t kLargestText = INT32_MAX - kSealedOverhead - kPadBlock;
constexpr char kCheckLabel[] = "Pelmor.KEY CHECK";

bool StartLibrary() {
  if (gcry_check_version("1.10.0") == nullptr) return false;
  // Nothing here needs locked memory, and asking for it only brings warnings and limits.
  gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
  gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
  return true;
}

// The place a record is bound to: its day file's name, then its ordinal (32-bit little endian).
std::string AssociatedData(std::string_view place, int32_t ordinal) {
  std::string data(place);
  auto n = static_cast<uint32_t>(ordinal);
  for (int shift = 0; shift < 32; shift += 8) data += static_cast<char>((n >> shift) & 0xFF);
  return data;
}

// A GCM-SIV handle set for the key, the nonce and the record's place, and, for opening, the tag
// to check; finalized, so the next encrypt or decrypt is the only one. Null when the library fails.
gcry_cipher_hd_t StartCipher(const SealKey& key, const char* nonce, std::string_view place, int32_t ordinal,
                             const char* tag = nullptr) {
  gcry_cipher_hd_t cipher;
  if (gcry_cipher_open(&cipher, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM_SIV, 0) != 0) return nullptr;
  std::string data = AssociatedData(place, ordinal);
  bool ok = gcry_cipher_setkey(cipher, key.bytes, kKeySize) == 0 &&
            gcry_cipher_setiv(cipher, nonce, kNonceSize) == 0 &&
            gcry_cipher_authenticate(cipher, data.data(), data.size()) == 0 &&
            (tag == nullptr || gcry_cipher_set_decryption_tag(cipher, tag, kTagSize) == 0) &&
            gcry_cipher_final(cipher) == 0;
  if (!ok) {
    gcry_cipher_close(cipher);
    return nullptr;
  }
  return cipher;
}

// The text of a padded plaintext: the bytes before the 0x80 that the last 1 to 32 bytes start with.
bool RemovePadding(std::string* padded) {
  size_t end = padded->find_last_not_of('\0');
  if (end == std::string::npos || static_cast<unsigned char>((*padded)[end]) != 0x80 ||
      padded->size() - end > kPadBlock)
    return false;
  padded->resize(end);
  return true;
}

}  // namespace

void WipeBytes(void* bytes, size_t size) {
  volatile auto* p = static_cast<volatile unsigned char*>(bytes);
  for (size_t i = 0; i < size; ++i) p[i] = 0;
}

bool CryptoReady() {
  static const bool ready = StartLibrary();
  return ready;
}

bool RandomBytes(void* out, size_t size) {
  if (!CryptoReady()) return false;
  gcry_randomize(out, size, GCRY_STRONG_RANDOM);
  return true;
}

bool Argon2id(const Argon2Input& input, void* out, size_t size) {
  if (!CryptoReady()) return false;
  const unsigned long params[4] = {static_cast<unsigned long>(size), input.passes, input.memoryKiB,
                                   input.lanes};
  gcry_kdf_hd_t kdf;
  if (gcry_kdf_open(&kdf, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, params, 4, input.passphrase.data(),
                    input.passphrase.size(), input.salt.data(), input.salt.size(), input.secret.data(),
                    input.secret.size(), input.associatedData.data(), input.associatedData.size()) != 0)
    return false;
  bool ok = gcry_kdf_compute(kdf, nullptr) == 0 && gcry_kdf_final(kdf, size, out) == 0;
  gcry_kdf_close(kdf);  // wipes its memory blocks
  return ok;
}

bool DeriveKey(std::string_view passphrase, const unsigned char (&salt)[kSaltSize], SealKey* key) {
  Argon2Input input;
  input.passphrase = passphrase;
  input.salt = std::string_view(reinterpret_cast<const char*>(salt), kSaltSize);
  if (Argon2id(input, key->bytes, kKeySize)) return true;
  WipeBytes(key->bytes, kKeySize);
  return false;
}

bool KeyCheck(const SealKey& key, unsigned char (&check)[kCheckSize]) {
  gcry_mac_hd_t mac;
  if (!CryptoReady() || gcry_mac_open(&mac, GCRY_MAC_HMAC_SHA256, 0, nullptr) != 0) return false;
  size_t size = kCheckSize;
  bool ok = gcry_mac_setkey(mac, key.bytes, kKeySize) == 0 &&
            gcry_mac_write(mac, kCheckLabel, sizeof kCheckLabel - 1) == 0 &&
            gcry_mac_read(mac, check, &size) == 0 && size == kCheckSize;
  gcry_mac_close(mac);
  return ok;
}

bool SealRecord(const SealKey& key, std::string_view place, int32_t ordinal, std::string_view text,
                std::string* sealed) {
  sealed->clear();
  if (!CryptoReady() || text.size() > kLargestText) return false;
  std::string padded(text);
  padded += '\x80';
  padded.resize((padded.size() + kPadBlock - 1) / kPadBlock * kPadBlock, '\0');
  sealed->assign(kSealedOverhead + padded.size(), '\0');
  char* nonce = sealed->data() + 1;
  char* cipherText = nonce + kNonceSize;
  (*sealed)[0] = static_cast<char>(kVersion);
  gcry_randomize(nonce, kNonceSize, GCRY_STRONG_RANDOM);
  gcry_cipher_hd_t cipher = StartCipher(key, nonce, place, ordinal);
  bool ok = cipher != nullptr &&
            gcry_cipher_encrypt(cipher, cipherText, padded.size(), padded.data(), padded.size()) == 0 &&
            gcry_cipher_gettag(cipher, cipherText + padded.size(), kTagSize) == 0;
  if (cipher != nullptr) gcry_cipher_close(cipher);
  if (!ok) sealed->clear();
  return ok;
}

bool OpenSealedRecord(const SealKey& key, std::string_view place, int32_t ordinal, std::string_view sealed,
                      std::string* text) {
  text->clear();
  if (!CryptoReady() || sealed.size() < kSealedOverhead + kPadBlock ||
      (sealed.size() - kSealedOverhead) % kPadBlock != 0 || static_cast<unsigned char>(sealed[0]) != kVersion)
    return false;
  const char* nonce = sealed.data() + 1;
  std::string_view cipherText = sealed.substr(1 + kNonceSize, sealed.size() - kSealedOverhead);
  gcry_cipher_hd_t cipher = StartCipher(key, nonce, place, ordinal, sealed.data() + sealed.size() - kTagSize);
  text->resize(cipherText.size());
  // The mode decrypts before it checks the tag: what a failed check leaves is wiped.
  bool ok =
      cipher != nullptr &&
      gcry_cipher_decrypt(cipher, text->data(), text->size(), cipherText.data(), cipherText.size()) == 0 &&
      RemovePadding(text);
  if (cipher != nullptr) gcry_cipher_close(cipher);
  if (!ok) {
    WipeBytes(text->data(), text->size());
    text->clear();
  }
  return ok;
}
