// Sync between PCs: names, another PC's day files as an engine delivers them, the progress
// file, and two PCs sharing one folder, each with its own data folder.
#include <gtest/gtest.h>

#include "store/file_io.h"
#include "sync/day_files.h"
#include "sync/sync_folder.h"
#include "temp_dir.h"

namespace {

using Texts = std::vector<std::string>;
namespace fs = std::filesystem;

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
}

TEST(PeerDayFile, OnlyWholeRecordsAreReadFromTheGivenOneAndTheFileIsNeverWritten) {
  const struct {
    const char* name;
    std::string bytes;
    int32_t from, available;
    Texts texts;
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFileBytes(dir.File("d"), c.bytes);
    FileHandle writer = OpenRecordFile(dir.File("d").c_str());  // the owner may hold it meanwhile
    int32_t available = -1;
    Texts texts;
    EXPECT_TRUE(ReadPeerDayFile(dir.File("d"), c.from, &available, &texts));
    CloseFileHandle(writer);
    EXPECT_EQ(available, c.available);
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(ReadFileBytes(dir.File("d")), c.bytes);
  }
  int32_t available;
  Texts texts;
  EXPECT_FALSE(ReadPeerDayFile("/nonexistent/20261208.PLM", 0, &available, &texts));
}

TEST(SyncProgress, IsSavedWholeAndReadBackPassingOverWhatIsNoCount) {
  TempDir dir;
  const std::string path = dir.File("Pelmor.SYN");
  SyncProgress progress = {{"x", 1}}, loaded;
  EXPECT_TRUE(LoadSyncProgress(path, &progress));
  EXPECT_TRUE(progress.empty());
  progress = {{"desk\\20261208.PLM", 3}, {"a=b\\20261209.PLM", 12}};
  ASSERT_TRUE(SaveSyncProgress(path, dir.File("Pelmor.SYN.TMP"), progress));
  EXPECT_EQ(ReadFileBytes(path), "[IMPORTED]\r\na=b\\20261209.PLM=12\r\ndesk\\20261208.PLM=3\r\n");
  EXPECT_FALSE(FileThere(dir.File("Pelmor.SYN.TMP")));
  WriteFileBytes(path, ReadFileBytes(path) + "x=abc\r\ny=-1\r\nno count\r\n=4\r\nlast\\20261210.PLM=7");
  ASSERT_TRUE(LoadSyncProgress(path, &loaded));
  progress["last\\20261210.PLM"] = 7;
  EXPECT_EQ(loaded, progress);
}

const CivilDate kDay1{2026, 12, 8}, kDay2{2026, 12, 9}, kDay3{2026, 12, 10};

// One sync folder (on a path with a space and Japanese characters) and a data folder per PC.
struct Pcs {
  TempDir root;
  std::string dir = root.File("sync 同期/");
  Pcs() { fs::create_directory(dir); }
  SyncStatus Start(SyncFolder* sync, const std::string& pc, const CivilDate& today = kDay1) {
    fs::create_directory(root.File(pc));
    return StartSync(sync, {dir, pc, "id-" + pc, 30}, root.File(pc + "/"), today);
  }
  // The PC's captures of that day, queued and flushed; the count left waiting.
  int Send(SyncFolder* sync, const Texts& texts, const CivilDate& day = kDay1) {
    for (const std::string& t : texts) EXPECT_TRUE(QueueCapture(sync, t));
    return FlushOutbox(sync, day);
  }
  // Every text collected, in order, each batch recorded and confirmed.
  Texts Collect(SyncFolder* sync) {
    Texts texts;
    for (const ImportBatch& batch : CollectImports(sync)) {
      texts.insert(texts.end(), batch.texts.begin(), batch.texts.end());
      EXPECT_TRUE(ConfirmImport(sync, batch));
    }
    return texts;
  }
  // A PC's folder as another PC (or an earlier run) left it.
  void Folder(const std::string& pc, const std::string& id, const std::vector<std::string>& dayFiles) {
    fs::create_directory(dir + pc);
    WriteFileBytes(dir + pc + "/owner.id", id);
    for (const std::string& name : dayFiles) WriteFileBytes(dir + pc + "/" + name, RecordBytes({pc + " " + name}));
  }
};

TEST(SyncFolder, PcsGetEachOthersTextsOldestDayFirstInOrderAndNothingTwice) {
  Pcs pcs;
  SyncFolder a, c, b, bAgain;
  ASSERT_EQ(pcs.Start(&a, "A"), SyncStatus::kOn);
  ASSERT_EQ(pcs.Start(&c, "C"), SyncStatus::kOn);
  pcs.Send(&c, {"c2"}, kDay2);
  EXPECT_EQ(pcs.Send(&a, {"a3", "a3 later"}, kDay3), 0);
  pcs.Send(&a, {"a1"}, kDay1);
  pcs.Send(&a, {"a2"}, kDay2);
  EXPECT_FALSE(FileThere(pcs.root.File("A/Pelmor.OUT")));
  ASSERT_EQ(pcs.Start(&b, "B"), SyncStatus::kOn);  // a backlog: by day, then by PC
  EXPECT_EQ(pcs.Collect(&b), (Texts{"a1", "a2", "c2", "a3", "a3 later"}));
  EXPECT_EQ(pcs.Collect(&b), Texts{});
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
}

TEST(SyncFolder, TextsWaitInTheOutboxWhileTheFolderCannotBeWrittenAndArriveInOrderOnce) {
  const struct {
    const char* name;
    bool folderIsFile;
    FileFaults fault;
  } cases[] = {{"this PC's folder replaced by a file", true, {}},
               {"the day file's append fails part-way", false, {.failWrite = 2}}};
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
    EXPECT_TRUE(QueueCapture(&a, "x") && QueueCapture(&a, "y"));
    gFileFaults = c.fault;
    EXPECT_EQ(FlushOutbox(&a, kDay1), 2);
    gFileFaults = FileFaults();
    pcs.Start(&aAgain, "A");  // a restart finds them waiting
    EXPECT_EQ(pcs.Send(&aAgain, {"z"}), c.folderIsFile ? 3 : 0);
    if (c.folderIsFile) fs::remove(pcs.dir + "A");
    EXPECT_EQ(FlushOutbox(&aAgain, kDay1), 0);
    EXPECT_EQ(pcs.Collect(&b), (Texts{"x", "y", "z"}));
  }
}

TEST(SyncFolder, AStartClaimsOnlyItsOwnFolderAndTidiesOnlyWhatIsItsOwn) {
  Pcs pcs;
  pcs.Folder("A", "another PC", {"20261101.PLM"});
  SyncFolder a, b;
  EXPECT_EQ(pcs.Start(&a, "A"), SyncStatus::kNameTaken);
  EXPECT_FALSE(QueueCapture(&a, "x"));
  EXPECT_EQ(FlushOutbox(&a, kDay1), 0);
  EXPECT_EQ(ReadFileBytes(pcs.dir + "A/owner.id"), "another PC");
  EXPECT_FALSE(FileThere(pcs.root.File("A/Pelmor.OUT")));
  // B keeps 30 days from kDay1: 2026-11-07 is older. OLD is B's folder under an earlier name.
  pcs.Folder("B", "id-B", {"20261107.PLM", "20261108.PLM", "20261107 (1).PLM"});
  pcs.Folder("OLD", "id-B", {"20261201.PLM"});
  fs::create_directory(pcs.root.File("B"));
  WriteFileBytes(pcs.root.File("B/Pelmor.SYN"), "[IMPORTED]\r\nA\\20261101.PLM=1\r\nC\\20261102.PLM=4\r\n");
  EXPECT_EQ(pcs.Start(&b, "B"), SyncStatus::kOn);
  EXPECT_FALSE(FileThere(pcs.dir + "B/20261107.PLM"));
  EXPECT_TRUE(FileThere(pcs.dir + "B/20261108.PLM") && FileThere(pcs.dir + "B/20261107 (1).PLM"));
  EXPECT_TRUE(FileThere(pcs.dir + "A/20261101.PLM"));
  EXPECT_EQ(ReadFileBytes(pcs.root.File("B/Pelmor.SYN")), "[IMPORTED]\r\nA\\20261101.PLM=1\r\n");
  EXPECT_EQ(pcs.Collect(&b), Texts{});
}

}  // namespace
