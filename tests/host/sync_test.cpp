// Sync between PCs: names, another PC's day files as an engine delivers them, the progress
// file, and PCs sharing one folder, each with its own data folder.
#include "sync_fixture.h"

namespace {

TEST(SyncNames, APcNameIsOneFolderNameAndOnlyExactDayFileNamesCount) {
  const struct {
    const char* name;
    std::string raw, clean;
  } names[] = {
      {"plain", "Desk PC-1", "Desk PC-1"},
      {"separators and control bytes", "a\\b/c:d*e?f\"g<h>i|j\x01k\x7f", "a_b_c_d_e_f_g_h_i_j_k_"},
      {"表 and ポ end in 0x5C and 0x7C", "\x95\x5c\x83\x7c", "\x95\x5c\x83\x7c"},
      {"a first byte without its second", "pc\x95", "pc_"},
      {"dots and spaces at the end, which Windows drops", "pc. .", "pc___"},
      {"the parent folder", "..", "__"},
      {"devices", "CON", "CON_"}, {"any case", "nul", "nul_"}, {"a port", "Com9", "Com9_"}, {"", "COM10", "COM10"},
      {"with an extension", "aux.PC", "aux_.PC"}, {"", "LPT1 .x", "LPT1 _.x"}, {"", "CONSOLE.PC", "CONSOLE.PC"},
  };
  for (const auto& c : names) EXPECT_EQ(CleanPcName(c.raw), c.clean) << c.name;
  const struct {
    const char* name;
    bool isDayFile;
  } files[] = {{"20261208.PLM", true},   {"20240229.PLM", true},     {"20261208 (1).PLM", false},
               {"20261208.sync-conflict-x.PLM", false}, {"20261208.plm", false}, {"2026128.PLM", false},
               {"20261332.PLM", false},  {"20230229.PLM", false},    {".syncthing.20261208.PLM.tmp", false}};
  for (const auto& c : files) {
    CivilDate day;
    EXPECT_EQ(ParseDayFileName(c.name, &day), c.isDayFile) << c.name;
    if (c.isDayFile) EXPECT_EQ(DayFileName(day), c.name);
  }
  EXPECT_EQ(DayNumber({2024, 3, 1}) - DayNumber({2024, 2, 28}), 2);
  EXPECT_EQ(LastSeparator("C:\\\x95\x5c\\x", '\\'), 5u);  // 表's second byte is no separator
}

TEST(PeerDayFile, OnlyWholeRecordsAreReadFromTheGivenOneAndTheFileIsNeverWritten) {
  const struct {
    const char* name;
    std::string bytes;
    int32_t from, available;
    Texts texts;
    ReadLimit limit = {};
  } cases[] = {
      {"grown since the last read", RecordBytes({"a", "b", "c"}), 1, 3, {"b", "c"}},
      {"nothing new", RecordBytes({"a"}), 1, 1, {}},
      {"half synced: a record cut in its text", RecordBytes(3, {"a", "b"}) + Int32Bytes(5) + "xy", 0, 2, {"a", "b"}},
      {"half synced: a record cut in its length", RecordBytes(3, {"a", "b"}) + "\x05\x00", 1, 2, {"b"}},
      {"count not raised yet", RecordBytes(1, {"a", "b"}), 0, 1, {"a"}},
      {"negative count", RecordBytes(-1, {"a"}), 0, 0, {}},
      {"negative length", RecordBytes(3, {"a"}) + Int32Bytes(-2) + "zz" + Int32Bytes(1) + "c", 0, 1, {"a"}},
      {"huge length", RecordBytes(3, {"a"}) + Int32Bytes(0x7fffffff) + "zz", 0, 1, {"a"}},
      {"no header", "\x01\x02", 0, 0, {}},
      {"rolled back below what was read", RecordBytes({"a"}), 3, 1, {}},
      {"the limit takes what fits", RecordBytes({"ab", "cd", "ef"}), 0, 2, {"ab", "cd"}, {.bytes = 5}},
      {"one record longer than the limit", RecordBytes({"abc", "d"}), 0, 1, {"abc"}, {.bytes = 2}},
      {"so many records", RecordBytes({"a", "b", "c", "d"}), 1, 3, {"b", "c"}, {.records = 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFileBytes(dir.File("d"), c.bytes);
    FileHandle writer = OpenRecordFile(dir.File("d").c_str());  // the owner may hold it meanwhile
    int32_t available = -1;
    Texts texts;
    EXPECT_TRUE(ReadPeerDayFile(dir.File("d"), c.from, &available, &texts, c.limit));
    CloseFileHandle(writer);
    EXPECT_EQ(available, c.available);
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(ReadFileBytes(dir.File("d")), c.bytes);
  }
  int32_t available;
  Texts texts;
  EXPECT_FALSE(ReadPeerDayFile("/nonexistent/20261208.PLM", 0, &available, &texts));
}

TEST(SyncProgress, IsSavedWholeWithItsOwnersAndAFileWithoutThemLoadsPassingOverWhatIsNoCount) {
  TempDir dir;
  const std::string path = dir.File("Pelmor.SYN");
  SyncProgress progress{{{"desk\\20261208.PLM", 3}, {"a=b\\20261209.PLM", 12}}, {{"desk", "ID-1"}, {"a=b", "ID 2"}}};
  ASSERT_TRUE(SaveSyncProgress(path, dir.File("Pelmor.SYN.TMP"), progress));
  EXPECT_EQ(ReadFileBytes(path), "[IMPORTED]\r\na=b\\20261209.PLM=12\r\ndesk\\20261208.PLM=3\r\n"
                                 "[OWNERS]\r\na=b=ID 2\r\ndesk=ID-1\r\n");
  EXPECT_FALSE(FileThere(dir.File("Pelmor.SYN.TMP")));
  SyncProgress loaded;
  ASSERT_TRUE(LoadSyncProgress(path, &loaded));
  EXPECT_EQ(loaded, progress);
  WriteFileBytes(path, "[IMPORTED]\r\nx=abc\r\ny=-1\r\nno count\r\n=4\r\nlast\\20261210.PLM=7");
  ASSERT_TRUE(LoadSyncProgress(path, &loaded));
  EXPECT_EQ(loaded, (SyncProgress{{{"last\\20261210.PLM", 7}}, {}}));
}

TEST(SyncFolder, PcsGetEachOthersTextsOldestDayFirstInOrderAndNothingTwice) {
  Pcs pcs;
  SyncFolder a, c, b, bAgain, d, newA;
  ASSERT_EQ(pcs.Start(&a, "A"), SyncStatus::kOn);
  ASSERT_EQ(pcs.Start(&c, "C"), SyncStatus::kOn);
  ASSERT_EQ(pcs.Start(&d, "D"), SyncStatus::kOn);
  pcs.Send(&c, {"c2"}, kDay2);
  EXPECT_EQ(pcs.Send(&a, {"a3", "a3 later"}, kDay3), 0);
  pcs.Send(&a, {"a1"}, kDay1);
  pcs.Send(&a, {"a2"}, kDay2);
  EXPECT_FALSE(FileThere(pcs.root.File("A/Pelmor.OUT")));
  ASSERT_EQ(pcs.Start(&b, "B"), SyncStatus::kOn);  // a backlog: by day, then by PC
  EXPECT_EQ(pcs.Collect(&b), (Texts{"a1", "a2", "c2", "a3", "a3 later"}));
  EXPECT_EQ(pcs.Collect(&b), Texts{});
  // The same backlog, 5 bytes a collect: what does not fit waits, but a longer text comes alone.
  EXPECT_EQ(pcs.Collect(&d, {.bytes = 5}), (Texts{"a1", "a2"}));
  EXPECT_EQ(pcs.Collect(&d, {.bytes = 5}), (Texts{"c2", "a3"}));
  EXPECT_EQ(pcs.Collect(&d, {.bytes = 5}), (Texts{"a3 later"}));
  EXPECT_EQ(pcs.Collect(&d), Texts{});
  pcs.Send(&b, {"from B"}, kDay3);
  EXPECT_EQ(pcs.Collect(&a), (Texts{"c2", "from B"}));  // never its own
  {
    FaultGuard faults;
    gFileFaults.failOpen = 1;  // an open would take it
    EXPECT_TRUE(CollectImports(&b).empty());
    EXPECT_EQ(gFileFaults.failOpen, 1) << "an idle collect opened a file";
  }
  ASSERT_EQ(pcs.Start(&bAgain, "B"), SyncStatus::kOn);
  EXPECT_EQ(pcs.Collect(&bAgain), Texts{});
  // The engine rolls A's day file back to its first record; what A appends next arrives once.
  WriteFileBytes(pcs.dir + "A/" + DayFileName(kDay3), RecordBytes({"a3"}));
  EXPECT_EQ(pcs.Collect(&bAgain), Texts{});
  pcs.Send(&a, {"three"}, kDay3);
  EXPECT_EQ(pcs.Collect(&bAgain), Texts{"three"});
  // A removed, and a new PC given its name the same day: its texts arrive from its first, also
  // after a restart only once.
  fs::remove_all(pcs.dir + "A");
  ASSERT_EQ(pcs.Start(&newA, "A", kDay3, "id-new A"), SyncStatus::kOn);
  pcs.Send(&newA, {"new 1"}, kDay3);
  EXPECT_EQ(pcs.Collect(&bAgain), Texts{"new 1"});
  ASSERT_EQ(pcs.Start(&b, "B"), SyncStatus::kOn);
  EXPECT_EQ(pcs.Collect(&b), Texts{});
}

TEST(SyncFolder, AnotherPcsFilePaddedPastItsCountTakesNoMemoryByItsSize) {
  const SealKey key = CountingKey(0);
  for (const SealKey* sealed : {static_cast<const SealKey*>(nullptr), &key})
    for (int32_t count : {1, INT32_MAX}) {
      Pcs pcs;
      SyncFolder b;
      std::string p1 = "p1", path = pcs.dir + (sealed ? "P/20261208.PLX" : "P/20261208.PLM");
      if (sealed) pcs.Lock(key), SealRecord(key, "P\\20261208.PLX", 0, "p1", &p1);
      fs::create_directory(pcs.dir + "P");
      WriteFileBytes(path, RecordBytes(count, {p1}));
      fs::resize_file(path, 256 << 20);  // zeros, sparse: no disk; sealed, each a record that does not open
      ASSERT_EQ(pcs.Start(&b, "B", kDay1, "", sealed), SyncStatus::kOn);
      Texts texts;
      EXPECT_LT(BytesAllocatedDuring([&] { texts = pcs.Collect(&b); }), 4 << 20) << count;
      EXPECT_EQ(texts.size(), count == 1 || sealed ? 1u : static_cast<size_t>(CollectLimit().records)) << count;
    }
}

TEST(SyncFolder, TextsWaitWhileTheFolderOrPelmorOutCannotBeWrittenAndArriveInOrderOnce) {
  const struct {
    const char* name;
    bool folderIsFile, outboxHeld;
    FileFaults fault;
  } cases[] = {{"this PC's folder replaced by a file, Pelmor.OUT held by a scanner", true, true, {}},
               {"the day file's append fails part-way", false, false, {.failWrite = 2}},
               {"Pelmor.OUT held by a scanner", false, true, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Pcs pcs;
    FaultGuard faults;
    SyncFolder a, b, aAgain;
    ASSERT_EQ(pcs.Start(&a, "A"), SyncStatus::kOn);
    ASSERT_EQ(pcs.Start(&b, "B"), SyncStatus::kOn);
    if (c.folderIsFile) {
      fs::remove_all(pcs.dir + "A");
      WriteFileBytes(pcs.dir + "A", "not a folder");
    }
    FileHandle held = c.outboxHeld ? OpenRecordFile(pcs.root.File("A/Pelmor.OUT").c_str()) : kNoFile;
    EXPECT_TRUE(QueueCapture(&a, "x") && QueueCapture(&a, "y"));
    gFileFaults = c.fault;
    EXPECT_EQ(FlushOutbox(&a, kDay1), 2);
    gFileFaults = FileFaults();
    pcs.Start(&a, "A");  // the options applied meanwhile start it again
    CloseFileHandle(held);
    EXPECT_EQ(FlushOutbox(&a, kDay1), c.folderIsFile ? 2 : 0);  // the next, or the last at Quit
    pcs.Start(&aAgain, "A");  // a restart finds them waiting
    EXPECT_EQ(pcs.Send(&aAgain, {"z"}), c.folderIsFile ? 3 : 0);
    if (c.folderIsFile) fs::remove(pcs.dir + "A");
    EXPECT_EQ(FlushOutbox(&aAgain, kDay1), 0);
    EXPECT_EQ(pcs.Collect(&b), (Texts{"x", "y", "z"}));
  }
  const SealKey key = CountingKey(0);
  for (const SealKey* sealed : {static_cast<const SealKey*>(nullptr), &key}) {  // no memory for a flush
    Pcs pcs;
    SyncFolder a, b;
    if (sealed) pcs.Lock(key);
    ASSERT_TRUE(pcs.Start(&a, "A", kDay1, "", sealed) == SyncStatus::kOn && pcs.Start(&b, "B", kDay1, "", sealed) == SyncStatus::kOn);
    const std::string large(2 << 20, 'x');
    EXPECT_TRUE(QueueCapture(&a, large));
    gFailAllocationsFrom = 1 << 20;
    EXPECT_EQ(FlushOutbox(&a, kDay1), 1);  // waits for a flush with the memory for it
    gFailAllocationsFrom = 0;
    EXPECT_TRUE(FlushOutbox(&a, kDay1) == 0 && pcs.Collect(&b) == Texts{large});
  }
}

TEST(SyncFolder, ThisPcWritesOnlyIntoAFolderItOwnsTidiesOnlyItsOwnAndThePageLooksChangingNothing) {
  Pcs pcs;
  pcs.Folder("A", "another PC", {"20261101.PLM"});
  SyncFolder a, b;
  EXPECT_EQ(pcs.Start(&a, "A"), SyncStatus::kNameTaken);
  EXPECT_FALSE(QueueCapture(&a, "x"));
  EXPECT_EQ(FlushOutbox(&a, kDay1), 0);
  EXPECT_EQ(ReadFileBytes(pcs.dir + "A/owner.id"), "another PC");
  EXPECT_FALSE(FileThere(pcs.root.File("A/Pelmor.OUT")));
  // B keeps 30 days from kDay1: 2026-11-07 is older. OLD is B's folder under an earlier name.
  pcs.Folder("B", "id-B", {"20261107.PLM", "20261107.PLX", "20261108.PLM", "20261107 (1).PLM"});
  pcs.Folder("OLD", "id-B", {"20261201.PLM"});
  fs::create_directory(pcs.root.File("B"));
  WriteFileBytes(pcs.root.File("B/Pelmor.SYN"), "[IMPORTED]\r\nA\\20261101.PLM=1\r\nC\\20261102.PLM=4\r\n");
  EXPECT_EQ(pcs.Start(&b, "B"), SyncStatus::kOn);
  EXPECT_FALSE(FileThere(pcs.dir + "B/20261107.PLM") || FileThere(pcs.dir + "B/20261107.PLX"));
  EXPECT_TRUE(FileThere(pcs.dir + "B/20261108.PLM") && FileThere(pcs.dir + "B/20261107 (1).PLM"));
  EXPECT_TRUE(FileThere(pcs.dir + "A/20261101.PLM"));
  EXPECT_EQ(ReadFileBytes(pcs.root.File("B/Pelmor.SYN")),
            "[IMPORTED]\r\nA\\20261101.PLM=1\r\n[OWNERS]\r\nA=another PC\r\n");
  EXPECT_EQ(pcs.Collect(&b), Texts{});
  // What OK on the options page would find: looked at, nothing made or written.
  WriteFileBytes(pcs.dir + "a file", "");
  const auto before = FilesUnder(pcs.root.path);
  const std::pair<SyncConfig, SyncStatus> checks[] = {
      {{pcs.dir, "B", "id-B"}, SyncStatus::kOn},    {{pcs.dir + "new/", "N", "id-N"}, SyncStatus::kOn},
      {{pcs.dir, "N", "id-N"}, SyncStatus::kOn},    {{pcs.dir, "A", "id-B"}, SyncStatus::kNameTaken},
      {{pcs.dir + "no/new/", "N", "id-N"}, SyncStatus::kFolderUnusable},  // no parent
      {{pcs.dir + "a file/new/", "N", "id-N"}, SyncStatus::kFolderUnusable},
      {{pcs.dir, "a file", "id-N"}, SyncStatus::kFolderUnusable}, {{"./new/", "N", "id-N"}, SyncStatus::kFolderUnusable}};
  for (const auto& [config, status] : checks) EXPECT_EQ(CheckSyncFolder(config), status) << config.dir << config.name;
  EXPECT_EQ(FilesUnder(pcs.root.path), before);
  // Another PC's owner.id arrives in B's folder (both claimed it before the engine carried
  // either's across): B writes there no more, and its text waits.
  WriteFileBytes(pcs.dir + "B/owner.id", "id-X");
  fs::last_write_time(pcs.dir + "B/owner.id", fs::file_time_type());
  EXPECT_EQ(pcs.Send(&b, {"b1"}), 1);
  EXPECT_EQ(b.status, SyncStatus::kNameTaken);
  EXPECT_EQ(ReadFileBytes(pcs.root.File("B/Pelmor.OUT")) + ReadFileBytes(pcs.dir + "B/" + DayFileName(kDay1)),
            RecordBytes({"b1"}));
}

TEST(SyncFolder, WithAPassphraseTextsLeaveOnlySealedAndAPcWithoutItOrWithAnotherKeyFileWritesNothing) {
  Pcs pcs;
  const SealKey key = CountingKey(0), otherKey = CountingKey(1);
  pcs.Folder("P", "id-P", {"20261208.PLM"});  // written before the folder had a passphrase
  SyncFolder a, b, c, d, again;
  ASSERT_EQ(pcs.Start(&c, "C"), SyncStatus::kOn);
  pcs.Lock(key);
  ASSERT_TRUE(pcs.StartWith(&a, "A", key) == SyncStatus::kOn && pcs.StartWith(&b, "B", key) == SyncStatus::kOn);
  EXPECT_EQ(pcs.Send(&a, {"a0", "a1"}) + pcs.Send(&a, {"a2", "a3", "a4"}), 0);
  EXPECT_EQ(pcs.SealedTexts("A", key), "a0 a1 a2 a3 a4 (0 refused)");  // each at its ordinal
  // A record changed on the way is left out but taken; one cut at the end waits until whole.
  std::string path = pcs.dir + "A/" + SealedDayFileName(kDay1), changed = ReadFileBytes(path);
  changed[4 + 65 * 3 + 20] ^= 1;  // in a3: every record here is 4 + 61 bytes
  WriteFileBytes(path, changed.substr(0, changed.size() - 1));
  EXPECT_EQ(pcs.Collect(&b), (Texts{"a0", "a1", "a2", "P 20261208.PLM"}));
  WriteFileBytes(path, changed);
  EXPECT_EQ(pcs.Collect(&b), Texts{"a4"});
  EXPECT_NE(ReadFileBytes(pcs.root.File("B/Pelmor.SYN")).find("A\\20261208.PLX=5\r\n"), std::string::npos);
  // C, started before the passphrase, stops at the flush that finds Pelmor.KEY, and D at its
  // start; A and B once the engine keeps another PC's Pelmor.KEY (nothing of N's, sealed under
  // that one's key, is taken before), and a start with the old key.
  EXPECT_EQ(pcs.Start(&d, "D"), SyncStatus::kKeyNeeded);
  EXPECT_EQ(pcs.Send(&c, {"c1"}) + pcs.Send(&d, {"d1"}), 2);
  pcs.Lock(otherKey);
  fs::create_directory(pcs.dir + "N");
  ASSERT_EQ(AppendToSealedDayFile(pcs.dir + "N/20261208.PLX", "N\\20261208.PLX", otherKey, {"n0"}), 0);
  EXPECT_TRUE(pcs.Collect(&b).empty());
  EXPECT_EQ(pcs.Send(&a, {"a5"}) + pcs.Send(&b, {"b0"}), 2);
  EXPECT_EQ(pcs.StartWith(&again, "A", key), SyncStatus::kKeyNeeded);
  for (SyncFolder* pc : {&a, &b, &c, &d}) EXPECT_EQ(pc->status, SyncStatus::kKeyNeeded);
  EXPECT_EQ(ReadFileBytes(path), changed);
  EXPECT_EQ(ReadFileBytes(pcs.root.File("B/Pelmor.SYN")).find("N\\"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(pcs.root.File("C/Pelmor.OUT")), RecordBytes({"c1"}));
  for (const char* pc : {"A/", "B/", "C/"}) EXPECT_FALSE(FileThere(pcs.dir + pc + DayFileName(kDay1))) << pc;
  EXPECT_FALSE(fs::exists(pcs.dir + "D"));
}

}  // namespace
