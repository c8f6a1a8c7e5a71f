// A sync folder with a passphrase: the key, Pelmor.KEY, sealed records and sealed day files,
// checked against answers computed elsewhere and against damage made on purpose.
#include <gtest/gtest.h>

#include <cstring>

#include "sealing_fixture.h"
#include "store/record_text.h"
#include "sync/day_files.h"
#include "temp_dir.h"

namespace {

using Texts = std::vector<std::string>;
const SealKey kKey = CountingKey(0), kOtherKey = CountingKey(1);
const CivilDate kDay{2026, 12, 8};

TEST(Sealing, ATextOpensWholeOnlyAtItsOwnPlaceUnderItsKey) {
  const std::string place = "A\\20261208.PLX";
  for (const std::string& text : {std::string(), std::string("a"), std::string(31, 'b'), std::string(32, 'c'),
                                  std::string(33, 'd'), RecordWithExactText("?", "\xe2\x82\xac")}) {
    SCOPED_TRACE(text.size());
    std::string sealed, again;
    ASSERT_TRUE(SealRecord(kKey, place, 5, text, &sealed) && SealRecord(kKey, place, 5, text, &again));
    EXPECT_NE(sealed, again);  // a nonce of its own each time
    EXPECT_EQ(sealed.size(), 1 + 12 + (text.size() / 32 + 1) * 32 + 16);
    EXPECT_EQ(Opened(kKey, place, 5, sealed), text);
    for (const char* where : {"B\\20261208.PLX", "A\\20261209.PLX", "A\\20261208.PLM"})
      EXPECT_EQ(Opened(kKey, where, 5, sealed), "(refused)") << where;
    EXPECT_EQ(Opened(kKey, place, 4, sealed) + Opened(kOtherKey, place, 5, sealed), "(refused)(refused)");
    for (size_t i = 0; i < sealed.size(); ++i) {
      std::string flipped = sealed;
      flipped[i] ^= 0x01;
      EXPECT_EQ(Opened(kKey, place, 5, flipped), "(refused)") << "byte " << i;
    }
    EXPECT_EQ(Opened(kKey, place, 5, sealed.substr(0, sealed.size() - 1)), "(refused)");
  }
}

TEST(Sealing, ARecordSealedElsewhereOpensOnlyWithItsVersionAndPadding) {
  EXPECT_EQ(Opened(kKey, kKnownPlace, kKnownOrdinal, Bytes(kKnownRecord)), "Pelmor");
  EXPECT_EQ(Opened(kKey, kKnownPlace, kKnownOrdinal, Bytes(kNoMarkRecord)), "(refused)");
  EXPECT_EQ(Opened(kKey, kKnownPlace, kKnownOrdinal, Bytes(kLongPadRecord)), "(refused)");
  EXPECT_EQ(Opened(kKey, kKnownPlace, kKnownOrdinal, "\x02" + Bytes(kKnownRecord).substr(1)), "(refused)");
}

TEST(KeyDerivation, Argon2idGivesRfc9106sAnswerAndOurParametersTheValueComputedElsewhere) {
  unsigned char tag[32];
  ASSERT_TRUE(Argon2id({kRfcPassword, kRfcSalt, kRfcSecret, kRfcData, 32, 3, 4}, tag, sizeof tag));
  EXPECT_EQ(HexOf(tag, sizeof tag), kRfcTag);
  SealKey key;
  ASSERT_TRUE(DeriveKey(kPassphrase, CountingKeyFile().salt, &key));
  EXPECT_EQ(HexOf(key.bytes, kKeySize), kPassphraseKey);
}

TEST(KeyFile, OnlyAWholeFileWithOurParametersIsRead) {
  KeyFile file = CountingKeyFile();
  const std::string good = KeyFileText(file);
  EXPECT_EQ(good,
            "[KEY]\r\nKDF=argon2id\r\nSALT=000102030405060708090a0b0c0d0e0f\r\nMEMORY=65536\r\nPASSES=3\r\n"
            "LANES=1\r\nCHECK=c0c1c2c3c4c5c6c7c8c9cacbcccdcecfd0d1d2d3d4d5d6d7d8d9dadbdcdddedf\r\n");
  auto with = [&](const std::string& from, const std::string& to) {
    return std::string(good).replace(good.find(from), from.size(), to);
  };
  // Written as here, with LF line ends and a key of another tool, with upper-case hex.
  for (const std::string& text : {good, "\n[KEY]\nVERSION=1\n" + good.substr(7), with("0a0b", "0A0B")}) {
    KeyFile read;
    EXPECT_TRUE(ParseKeyFile(text, &read) && read == file) << text;
  }
  // Empty, no section, another section first, a key missing or twice, another KDF, parameters
  // that would take gigabytes or hours, not hex, a salt a byte short, a check a digit short, cut.
  for (const std::string& text :
       {std::string(), good.substr(7), "[SYNC]\r\n" + good, with("CHECK", "CHECKS"), with("SALT", "SALTS"),
        good + "SALT=000102030405060708090a0b0c0d0e0f\r\n", with("argon2id", "argon2i"),
        with("65536", "4194304"), with("PASSES=3", "PASSES=1000000"), with("LANES=1", "LANES=0"),
        with("0a0b", "0a0g"), with("0e0f", "0e"), with("dedf", "ded"), good.substr(0, good.size() - 10)})
    EXPECT_FALSE(ParseKeyFile(text, &file)) << text;
}

TEST(KeyFile, TheFirstPassphraseMakesItOnceAndOnlyThatOneJoins) {
  TempDir dir;
  const std::string path = dir.File("Pelmor.KEY"), scratch = dir.File("K.TMP"), away = dir.File("x/K");
  char pass[] = "合言葉 pass", wrong[] = "合言葉 pasr", again[] = "合言葉 pass";
  KeyFile file, joined;
  SealKey made, key;
  EXPECT_EQ(ReadKeyFile(away, &file), KeyFileStatus::kUnreadable);
  EXPECT_EQ(ReadKeyFile(path, &file), KeyFileStatus::kMissing);
  ASSERT_EQ(JoinKeyFile(path, pass, strlen(pass), &made, &file), JoinResult::kNew);
  ASSERT_TRUE(!FileThere(path) && WriteNewKeyFile(path, scratch, file));  // only read until then
  const std::string text = ReadFileBytes(path);
  EXPECT_TRUE(text.find(HexOf(made.bytes, kKeySize)) == std::string::npos && !FileThere(scratch));
  EXPECT_EQ(JoinKeyFile(path, wrong, strlen(wrong), &key, &joined), JoinResult::kWrongPassphrase);
  EXPECT_EQ(std::string(pass, sizeof pass) + std::string(wrong, sizeof wrong),
            std::string(sizeof pass + sizeof wrong, '\0'));  // wiped
  ASSERT_EQ(JoinKeyFile(path, again, strlen(again), &key, &joined), JoinResult::kJoined);
  EXPECT_TRUE(HexOf(key.bytes, kKeySize) == HexOf(made.bytes, kKeySize) && joined == file);
  KeyFile lastByteOff = file;
  lastByteOff.check[kCheckSize - 1] ^= 1;
  EXPECT_TRUE(KeyMatches(file, made) && !KeyMatches(lastByteOff, made));
  EXPECT_FALSE(WriteNewKeyFile(path, scratch, KeyFile()) || FileThere(scratch));
  EXPECT_EQ(ReadFileBytes(path), text);
  EXPECT_FALSE(KeyFileReplaced(path, file) || KeyFileReplaced(away, file));  // the same; away for now
  WriteFileBytes(path, KeyFileText(KeyFile()));  // another PC's, kept by the engine
  EXPECT_TRUE(KeyFileReplaced(path, file));
  WriteFileBytes(path, text + std::string(5000, '\n'));
  EXPECT_TRUE(KeyFileReplaced(path, file));
  EXPECT_EQ(JoinKeyFile(path, again, 0, &key, &joined), JoinResult::kDamaged);
  EXPECT_EQ(ReadFileBytes(path), text + std::string(5000, '\n'));
  std::filesystem::remove(path);
  EXPECT_TRUE(KeyFileReplaced(path, file));
  FaultGuard faults;
  for (const FileFaults& fault : {FileFaults{.failWrite = 1}, {.failFlush = 1}, {.failRename = 1}}) {
    gFileFaults = fault;
    EXPECT_FALSE(WriteNewKeyFile(path, scratch, file) || FileThere(path) || FileThere(scratch));
  }
}

TEST(SealedDayFile, RecordsCountOnFromTheFileAndAPeerTakesWhatDoesNotOpenAsRead) {
  TempDir dir;
  const std::string path = dir.File("20261208.PLX"), place = SealedPlace("A", kDay);
  EXPECT_EQ(place, "A\\20261208.PLX");
  ASSERT_EQ(AppendToSealedDayFile(path, place, kKey, {"a", "b"}), 0);
  WriteFileBytes(path, ReadFileBytes(path) + "\x05");  // a torn append, cut when settled
  ASSERT_EQ(AppendToSealedDayFile(path, place, kKey, {"c"}), 0);
  const std::vector<std::string> large = {std::string(2 << 20, 'd')};
  gFailAllocationsFrom = 1 << 20;  // no memory to seal it: the file stays as it was
  EXPECT_EQ(AppendToSealedDayFile(path, place, kKey, large), -104);
  gFailAllocationsFrom = 0;
  Texts s;
  int32_t available = -1;
  ASSERT_TRUE(ReadPeerDayFile(path, 0, &available, &s) && s.size() == 3);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(Opened(kKey, place, i, s[i]), std::string(1, 'a' + i));
  std::string peer = dir.File("peer.PLX"), whole = ReadFileBytes(path);
  EXPECT_EQ(ReadPeer(peer, RecordBytes({s[2], s[1], s[0]}), place, kKey, 0), "3: b (2 refused)");
  EXPECT_EQ(ReadPeer(peer, whole, "B\\20261208.PLX", kKey, 0), "3: (3 refused)");
  EXPECT_EQ(ReadPeer(peer, whole, place, kOtherKey, 0), "3: (3 refused)");
  CivilDate day;
  EXPECT_TRUE(ParseSealedDayFileName("20261208.PLX", &day) && SealedDayFileName(day) == "20261208.PLX");
  for (const char* name : {"20261208.PLM", "20261208.plx", "20261332.PLX", "20261208.PLX.tmp", "2026120.PLX"})
    EXPECT_FALSE(ParseSealedDayFileName(name, &day)) << name;
  EXPECT_FALSE(ParseDayFileName("20261208.PLX", &day));
}

}  // namespace
