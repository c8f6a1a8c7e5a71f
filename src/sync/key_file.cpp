#include "key_file.h"

#include "../store/exclusive_rename.h"
#include "../store/file_io.h"

namespace {

constexpr int64_t kKeyFileLimit = 4096;  // a key file is under 200 bytes; more is not one
constexpr const char* kKeyNames[] = {"KDF", "SALT", "MEMORY", "PASSES", "LANES", "CHECK"};
enum KeyName { kKdf, kSalt, kMemory, kPasses, kLanes, kCheck, kKeyNameCount };

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The next line of the text (without its CR LF or LF); the text loses it.
std::string_view TakeLine(std::string_view* text) {
  size_t end = text->find('\n');
  std::string_view line = text->substr(0, end);
  text->remove_prefix(end == std::string_view::npos ? text->size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The values of our keys in the [KEY] section; false when the section is not first or one of
// our keys is given twice.
bool ReadKeyValues(std::string_view text, std::string_view (&values)[kKeyNameCount],
                   bool (&seen)[kKeyNameCount]) {
  bool inSection = false;
  while (!text.empty()) {
    std::string_view line = TakeLine(&text);
    if (line.empty()) continue;
    if (!inSection) {
      if (line != "[KEY]") return false;
      inSection = true;
      continue;
    }
    if (line.front() == '[') break;  // another section is not ours
    size_t equals = line.find('=');
    for (int i = 0; i < kKeyNameCount && equals != std::string_view::npos; ++i) {
      if (line.substr(0, equals) != kKeyNames[i]) continue;
      if (seen[i]) return false;
      seen[i] = true;
      values[i] = line.substr(equals + 1);
    }
  }
  return inSection;
}

// Hex of exactly size bytes into out.
bool ParseHexOfSize(std::string_view hex, unsigned char* out, size_t size) {
  std::string bytes;
  if (!ParseHex(hex, &bytes) || bytes.size() != size) return false;
  bytes.copy(reinterpret_cast<char*>(out), size);
  return true;
}

// The folder a path lies in, with its separator.
std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of("\\/") + 1);
}

JoinResult JoinExisting(std::string_view passphrase, const KeyFile& file, SealKey* key, KeyFile* joined) {
  SealKey derived;
  if (!DeriveKey(passphrase, file.salt, &derived)) return JoinResult::kFailed;
  if (!KeyMatches(file, derived)) return JoinResult::kWrongPassphrase;
  *key = derived;
  *joined = file;
  return JoinResult::kJoined;
}

JoinResult JoinFileThere(KeyFileStatus status, std::string_view passphrase, const KeyFile& file, SealKey* key,
                         KeyFile* joined) {
  switch (status) {
    case KeyFileStatus::kValid: return JoinExisting(passphrase, file, key, joined);
    case KeyFileStatus::kDamaged: return JoinResult::kDamaged;
    default: return JoinResult::kUnusable;
  }
}

// Wipes the passphrase on every way out of the join.
struct PassphraseWiper {
  char* bytes;
  size_t length;
  ~PassphraseWiper() { WipeBytes(bytes, length); }
};

}  // namespace

std::string HexOf(const void* bytes, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < size; ++i) {
    unsigned char b = static_cast<const unsigned char*>(bytes)[i];
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

bool ParseHex(std::string_view hex, std::string* bytes) {
  bytes->clear();
  if (hex.size() % 2 != 0) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    *bytes += static_cast<char>(high * 16 + low);
  }
  return true;
}

std::string KeyFileText(const KeyFile& file) {
  return "[KEY]\r\nKDF=argon2id\r\nSALT=" + HexOf(file.salt, kSaltSize) +
         "\r\nMEMORY=" + std::to_string(kArgonMemoryKiB) + "\r\nPASSES=" + std::to_string(kArgonPasses) +
         "\r\nLANES=" + std::to_string(kArgonLanes) + "\r\nCHECK=" + HexOf(file.check, kCheckSize) + "\r\n";
}

bool ParseKeyFile(std::string_view text, KeyFile* file) {
  std::string_view values[kKeyNameCount];
  bool seen[kKeyNameCount] = {};
  if (!ReadKeyValues(text, values, seen)) return false;
  for (bool there : seen)
    if (!there) return false;
  KeyFile read;
  if (values[kKdf] != "argon2id" || values[kMemory] != std::to_string(kArgonMemoryKiB) ||
      values[kPasses] != std::to_string(kArgonPasses) || values[kLanes] != std::to_string(kArgonLanes) ||
      !ParseHexOfSize(values[kSalt], read.salt, kSaltSize) ||
      !ParseHexOfSize(values[kCheck], read.check, kCheckSize))
    return false;
  *file = read;
  return true;
}

KeyFileStatus ReadKeyFile(const std::string& path, KeyFile* file) {
  std::string text;
  if (!ReadWholeFile(path.c_str(), kKeyFileLimit + 1, &text)) {
    if (PathExists(path.c_str())) return KeyFileStatus::kUnreadable;
    return PathExists(FolderOf(path).c_str()) ? KeyFileStatus::kMissing : KeyFileStatus::kUnreadable;
  }
  bool valid = static_cast<int64_t>(text.size()) <= kKeyFileLimit && ParseKeyFile(text, file);
  return valid ? KeyFileStatus::kValid : KeyFileStatus::kDamaged;
}

bool WriteNewKeyFile(const std::string& path, const std::string& scratch, const KeyFile& file) {
  FileHandle out = CreateScratchFile(scratch.c_str());
  if (out == kNoFile) return false;
  std::string text = KeyFileText(file);
  bool ok = WriteBytes(out, text.data(), static_cast<int64_t>(text.size())) && FlushToDisk(out);
  CloseFileHandle(out);
  ok = ok && RenameWithoutReplacing(scratch.c_str(), path.c_str());
  if (!ok) RemoveFile(scratch.c_str());
  return ok;
}

bool KeyMatches(const KeyFile& file, const SealKey& key) {
  unsigned char check[kCheckSize];
  if (!KeyCheck(key, check)) return false;
  unsigned char differ = 0;  // every byte compared, so the time says nothing of where they differ
  for (size_t i = 0; i < kCheckSize; ++i) differ |= check[i] ^ file.check[i];
  return differ == 0;
}

JoinResult NewKeyFile(char* passphrase, size_t length, SealKey* key, KeyFile* made) {
  PassphraseWiper wiper{passphrase, length};
  KeyFile file;
  SealKey derived;
  if (!RandomBytes(file.salt, kSaltSize) || !DeriveKey(std::string_view(passphrase, length), file.salt, &derived) ||
      !KeyCheck(derived, file.check))
    return JoinResult::kFailed;
  *key = derived;
  *made = file;
  return JoinResult::kNew;
}

JoinResult JoinKeyFile(const std::string& path, char* passphrase, size_t length, SealKey* key, KeyFile* joined) {
  PassphraseWiper wiper{passphrase, length};
  KeyFile file;
  KeyFileStatus status = ReadKeyFile(path, &file);
  if (status == KeyFileStatus::kMissing) return NewKeyFile(passphrase, length, key, joined);
  return JoinFileThere(status, std::string_view(passphrase, length), file, key, joined);
}

bool KeyFileReplaced(const std::string& path, const KeyFile& joined) {
  KeyFile now;
  switch (ReadKeyFile(path, &now)) {
    case KeyFileStatus::kValid: return !(now == joined);
    case KeyFileStatus::kUnreadable: return false;
    default: return true;
  }
}
