// What the history keeps: recording, repeats, the cap, deletes that outlive a rewrite,
// favorites, restore and delete-all, on real files, with the file layer failing part-way.
#include "model_fixture.h"

namespace {

TEST(HistoryModel, RecordingKeepsTheFileAndTheRowsInStepAndTheChosenRowsOnTheirTexts) {
  const struct {
    const char* name;
    HistoryOptions options;
    Texts saved, recorded;
    std::string changes;  // "batch": recorded in one step
    Texts file, rows;
    std::vector<int> chosen, chosenAfter;  // rows chosen before, and where they are after
  } cases[] = {
      {"newest first", {}, {"a", "b"}, {"c", "a"}, "+0 +0", {"a", "b", "c", "a"}, {"a", "c", "b", "a"}, {1}, {3}},
      {"oldest first", {.newestFirst = false}, {"a"}, {"b", "a"}, "+1 +2", {"a", "b", "a"}, {"a", "b", "a"}, {0}, {0}},
      {"a repeat removes the older equal texts, the chosen among them", {.dropDuplicates = true}, {"a", "b", "a"},
       {"a", "c"}, "R +0", {"b", "a", "c"}, {"c", "a", "b"}, {-1, 1, 2}, {-1, 2, 1}},  // -1: no row (no focus)
      {"an empty text is a record like any other", {.dropDuplicates = true}, {"", "x"}, {""}, "R", {"x", ""}, {"", "x"},
       {0}, {1}},
      {"equal only when every byte is", {.dropDuplicates = true}, {"ab", "a"}, {"a\xff", "ab"}, "+0 R",
       {"a", "a\xff", "ab"}, {"ab", "a\xff", "a"}, {}, {}},
      {"in one step, as one by one", {.dropDuplicates = true}, {"a", "b", "d"}, {"c", "a", "c", "e"}, "batch",
       {"b", "d", "a", "c", "e"}, {"e", "c", "a", "d", "b"}, {0, 2}, {3, 2}},
      {"in one step, oldest first", {.newestFirst = false}, {"a"}, {"b", "a"}, "batch", {"a", "b", "a"}, {"a", "b", "a"},
       {0}, {0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Model h;
    ASSERT_EQ(h.Open(c.saved, c.options), 0);
    h.chosen = c.chosen;
    std::string changes = c.changes == "batch" ? (h.Record(c.recorded) == "R" ? "batch" : "?") : "";
    for (const std::string& text : c.changes == "batch" ? Texts{} : c.recorded)
      changes += (changes.empty() ? "" : " ") + h.Record(text);
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(h.File("Pelmor.WK"), RecordBytes(c.file));
    EXPECT_EQ(h.Rows(), c.rows);
    EXPECT_EQ(h.chosen, c.chosenAfter);
    h.ExpectMirrors();
  }
}

TEST(HistoryModel, ACappedHistoryLosesItsOldestRecordsInOneRewriteOnceItPassesTheLimit) {
  const struct {
    const char* name;
    int cap, saved, recorded;
    int countAfterStart, countAfter;
    int rewrites;  // captures that rewrote the file, or failed to and read it again
    FileFaults fault = {};
    int lowered = 0;  // then OK on the options page with this cap
  } cases[] = {
      {"no cap", 0, 300, 50, 300, 350, 0},
      {"cut to the cap at start-up", 100, 150, 0, 100, 100, 0},
      {"up to the cap and 100 more", 100, 100, 100, 100, 200, 0},
      {"one past the limit", 100, 100, 101, 100, 100, 1},
      {"a tenth more above 1000", 1000, 1000, 201, 1000, 1100, 1},
      {"a cut that fails is tried again a tenth later, then as before", 100, 100, 400, 100, 198, 3, {.failRename = 1}},
      {"a cap below the page's written by hand is its smallest", 5, 150, 0, 100, 100, 0},
      {"lowered at OK, within its margin: cut at once", 1000, 1000, 0, 1000, 950, 0, {}, 950},
  };
  const std::tuple<int64_t, bool, int> kCapsOnThePage[] = {  // the value, accepted, taken as
      {0, true, 0}, {-1, false, 0}, {99, false, 100}, {100, true, 100}, {1000000, true, 1000000},
      {1000001, false, 1000000}, {5000000, false, 1000000}};
  for (auto [value, accepted, taken] : kCapsOnThePage)
    EXPECT_TRUE(IsAcceptedCap(value) == accepted && CapOfSetting(value) == taken) << value;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Model h;
    ASSERT_EQ(h.Open(Numbered("s", c.saved), {.maxCount = c.cap}), 0);
    EXPECT_EQ(RowCount(h.m.history), c.countAfterStart);
    int rewrites = 0;
    FaultGuard guard;
    gFileFaults = c.fault;
    for (const std::string& text : Numbered("n", c.recorded)) rewrites += h.Record(text) == "R";
    gFileFaults = FileFaults();
    ListChange history, favorites;
    if (c.lowered) ApplyHistoryOptions(&h.m, {.maxCount = c.lowered}, &history, &favorites);
    EXPECT_EQ(RowCount(h.m.history), c.countAfter);
    EXPECT_EQ(rewrites, c.rewrites);
    EXPECT_EQ(h.Rows().front(), c.recorded ? "n" + std::to_string(c.recorded - 1) : "s" + std::to_string(c.saved - 1));
    h.ExpectMirrors();
  }
}

TEST(HistoryModel, ADeleteRemovesExactlyTheChosenRecordsWhateverHappensWhileItsQuestionIsOpen) {
  enum Meanwhile { kNothing, kRepeatCompacts, kRepeatFails, kChosenIsRepeated, kRestore, kEmpty, kFavoritesReplaced };
  const struct {
    const char* name;
    RecordList list;
    std::vector<int> chosen;  // rows, newest first
    Meanwhile meanwhile;
    bool confirmed;
    int result;
    Texts rows;
  } cases[] = {  // the history holds a, "", 0xFF c and d
      {"the last record and an empty one", RecordList::kHistory, {0, 2}, kNothing, true, 0, {"\xff" "c", "a"}},
      {"the first record and one starting with 0xFF", RecordList::kHistory, {1, 3}, kNothing, true, 0, {"d", ""}},
      {"cancelled", RecordList::kHistory, {0}, kNothing, false, -1, {"d", "\xff" "c", "", "a"}},
      {"a repeat compacts the file meanwhile", RecordList::kHistory, {1}, kRepeatCompacts, true, 0, {"", "d", "a"}},
      {"a repeat's rewrite fails meanwhile: read again, nothing deleted", RecordList::kHistory, {1}, kRepeatFails, true, -1,
       {"", "d", "\xff" "c", "", "a"}},
      {"the chosen record is purged meanwhile", RecordList::kHistory, {1}, kChosenIsRepeated, true, -1,
       {"\xff" "c", "d", "", "a"}},
      {"the history restored meanwhile", RecordList::kHistory, {0}, kRestore, true, -1, {"s"}},
      {"the history emptied meanwhile", RecordList::kHistory, {0}, kEmpty, true, -1, {}},
      {"favorites", RecordList::kFavorites, {1}, kNothing, true, 0, {"f2", "f0"}},
      {"favorites replaced by another program meanwhile", RecordList::kFavorites, {1}, kFavoritesReplaced, true, -1,
       {"other", "f1", "f0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Model h;
    ASSERT_EQ(h.Open({"s"}, {.dropDuplicates = true}, Numbered("f", 3)), 0);
    ListChange change;
    ASSERT_EQ(EmptyHistory(&h.m, &change), 0);
    for (const char* text : {"a", "", "\xff" "c", "d"}) h.Record(text);
    BeginDelete(&h.m, c.list, h.At(c.chosen, c.list));
    if (c.meanwhile == kRepeatCompacts) h.Record("");
    if (c.meanwhile == kRepeatFails) gFileFaults.failRename = 1, h.Record(""), gFileFaults = FileFaults();
    if (c.meanwhile == kChosenIsRepeated) h.Record("\xff" "c");
    WriteFileBytes(h.dir.File("Temp.DAT"), RecordBytes({"left by a crash"}));  // never appended to
    if (c.meanwhile == kRestore) RestoreSavedHistory(&h.m, &change);
    if (c.meanwhile == kEmpty) EmptyHistory(&h.m, &change);
    if (c.meanwhile == kFavoritesReplaced) WriteFileBytes(h.dir.File("Pelmor.SAV"), RecordBytes({"f0", "f1", "other"}));
    EXPECT_EQ(FinishDelete(&h.m, c.confirmed, &change), c.result);
    EXPECT_EQ(h.Rows(c.list), c.rows);
    h.ExpectMirrors();
  }
}

// A delete whose rewrite is written beside the rows, a capture and a repeat while it waits to be
// put in place: each step of that file work fails in turn, or the program dies there (the disk
// takes so many bytes more). A fresh start then finds every record but the chosen one and the
// repeated one's older record, those as before or as after, and every capture kept (each on
// disk the moment it was recorded).
TEST(HistoryModel, ARewriteBesideTheRowsLosesNothingWhereverItFailsOrDies) {
  for (const FileFaults& fault : EachStepFailingInTurn(8)) {
    SCOPED_TRACE(Describe(fault));
    Model h;
    FaultGuard guard;
    ASSERT_EQ(h.Open({"a", "b", "c", "d"}, {.dropDuplicates = true}), 0);
    h.WriteBesideTheRows();
    gFileFaults = fault;
    h.Delete({2});
    h.AwaitWritten();
    bool x = !h.Record("x").starts_with("-10");  // recorded, not an error
    EXPECT_TRUE(!x || h.File("Pelmor.WK").ends_with(RecordBytes({"x"}).substr(4)));  // on disk at once
    bool c = !h.Record("c").starts_with("-10");
    FinishRewrite(&h.m);  // waits for it
    gFileFaults = FileFaults();
    if (fault.writeBudget < 0) h.ExpectMirrors();
    const bool y = fault.writeBudget < 0 && c;  // running on: a purge that failed is done with the next recording
    if (y) EXPECT_EQ((h.Record("y"), std::ranges::count(h.Rows(), "c")), 1);
    Texts kept = h.AfterAKill(), all = {"a", "b", "c", "d"};
    if (x) all.push_back("x");
    if (c) all.push_back("c");  // b as before or gone, and with c recorded again its older record too
    if (y) all.push_back("y");
    EXPECT_TRUE(AsBeforeOrAfter(all, c ? std::vector<size_t>{1, 2} : std::vector<size_t>{1}).contains(kept))
        << testing::PrintToString(kept);
    if (Describe(fault) == Describe(FileFaults())) EXPECT_EQ(kept, (Texts{"a", "d", "x", "c", "y"}));
  }
}

// Every operation, also when it meets a file layer that fails part-way: afterwards the files
// are whole, the rows are the files, and the next capture is kept.
TEST(HistoryModel, AFailingFileLeavesEveryFileWholeAndTheRowsTrue) {
  enum Operation { kRecord, kRecordRepeat, kImport, kDelete, kSave, kRestore, kEmpty };
  const struct {
    const char* name;
    Operation operation;
    FileFaults fault;
    int result;
    Texts work;
    size_t memory = 0;  // allocations of so many bytes fail
  } cases[] = {
      {"record: the disk fills in the text", kRecord, {.failWrite = 1}, -103, {"a", "b"}},
      {"record: the count cannot be written", kRecord, {.failWrite = 2}, -103, {"a", "b"}},
      {"repeat: no scratch file", kRecordRepeat, {.failOpen = 1}, 0, {"a", "b", "a"}},
      {"repeat: the disk fills in the scratch file", kRecordRepeat, {.writeBudget = 9 + 6}, 0, {"a", "b", "a"}},
      {"repeat: the scratch file cannot replace the work file", kRecordRepeat, {.failRename = 1}, 0, {"a", "b", "a"}},
      {"repeat: the scratch file cannot be flushed", kRecordRepeat, {.failFlush = 1}, 0, {"a", "b", "a"}},
      {"import: too large for the memory left, waits", kImport, {}, -104, {"a", "b"}, 1 << 20},
      {"delete: no scratch file", kDelete, {.failOpen = 1}, -1, {"a", "b"}},
      {"delete: cannot replace", kDelete, {.failRename = 1}, -1, {"a", "b"}},
      {"save: the favorites cannot be opened", kSave, {.failOpen = 1}, -101, {"a", "b"}},
      {"save: the disk fills", kSave, {.writeBudget = 3}, -102, {"a", "b"}},
      {"restore: the saved history of the last exit comes back", kRestore, {}, 0, {"a"}},
      {"restore: the copy fails", kRestore, {.failRename = 1}, 0, {"a", "b"}},
      {"delete all: the work file only", kEmpty, {}, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Model h;
    FaultGuard guard;
    ASSERT_EQ(h.Open({"a"}, {.dropDuplicates = true}, {"f"}), 0);
    h.Record("b");
    ListChange change;
    std::vector<int64_t> newest = h.At({0});
    const std::string large(2 << 20, 'x');
    gFileFaults = c.fault;
    gFailAllocationsFrom = c.memory;
    int result = 0;
    if (c.operation == kRecord) result = RecordText(&h.m, "x", &change);
    if (c.operation == kImport) result = RecordTexts(&h.m, {"x", large}, &change);
    if (c.operation == kRecordRepeat) result = RecordText(&h.m, "a", &change);
    if (c.operation == kDelete) result = h.Delete({0});
    if (c.operation == kSave) result = CopyToFavorites(&h.m, newest, &change);
    if (c.operation == kRestore) result = RestoreSavedHistory(&h.m, &change);
    if (c.operation == kEmpty) result = EmptyHistory(&h.m, &change);
    gFileFaults = FileFaults();
    gFailAllocationsFrom = 0;
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(h.File("Pelmor.WK"), RecordBytes(c.work));
    EXPECT_EQ(h.File("Pelmor.SAV") + h.File("Pelmor.DAT"), RecordBytes({"f"}) + RecordBytes({"a"}));
    EXPECT_FALSE(FileThere(h.dir.File("Temp.DAT")));
    h.ExpectMirrors();
    EXPECT_EQ(h.Record("next") == "+0", c.operation != kRecordRepeat);  // a failed purge is done with it
    Texts next = c.operation == kRecordRepeat ? Texts{"b", "a"} : c.work;
    next.push_back("next");
    EXPECT_EQ(h.File("Pelmor.WK"), RecordBytes(next));
  }
  Model h;  // a purge that failed is of its text, whatever became of the rows before the next one
  FaultGuard guard;
  ListChange change;
  ASSERT_EQ(h.Open({"d", "e", "f", "d", "g"}, {.dropDuplicates = true}), 0);
  ASSERT_EQ(EmptyHistory(&h.m, &change), 0);
  h.Record(Texts{"a", "b"});
  gFileFaults.failOpen = 1;
  h.Record("a");
  gFileFaults = FileFaults();
  ASSERT_EQ(RestoreSavedHistory(&h.m, &change), 0);
  h.Record("h");
  EXPECT_EQ(h.File("Pelmor.WK"), RecordBytes({"d", "e", "f", "d", "g", "h"}));
}

using File = std::optional<std::string>;  // contents, or missing

TEST(HistoryFiles, StartUpKeepsEveryHistoryThatWasNotSavedYet) {
  const std::string a = RecordBytes({"a"}), ab = RecordBytes({"a", "b"}), old = RecordBytes({"old"});
  const std::string empty = RecordBytes({});
  const struct {
    const char* name;
    File work, saved, backup;
    int bootInit;
    File workAfter, savedAfter, backupAfter;
    FileFaults fault = {};
  } cases[] = {
      {"first start ever", {}, {}, {}, 0, empty, {}, {}},
      {"after an orderly exit", a, a, old, 0, a, a, old},
      {"after an orderly exit, emptied at start", a, a, old, 1, empty, a, old},
      {"after a killed run", ab, a, old, 0, ab, ab, a},
      {"after a killed run, emptied at start", ab, a, old, 1, empty, ab, a},
      {"a killed run's text as long as the saved one, emptied at start", RecordBytes({"b"}), a, old, 1, empty,
       RecordBytes({"b"}), a},
      {"a short work file is no history", "\x01\x02", a, {}, 0, a, a, {}},
      {"after a killed first run", ab, {}, {}, 0, ab, {}, {}},
      {"after a killed first run, emptied at start", ab, {}, {}, 1, empty, ab, {}},
      {"after a killed run, the rotation fails", ab, a, old, 0, ab, a, a, {.failRename = 2}},
      {"after a killed run, the rotation fails, emptied at start", ab, a, old, 1, ab, a, a, {.failRename = 2}},
      // Without a work file, Pelmor ends and touches nothing: an empty one would be saved over the history.
      {"the saved history cannot be copied", {}, a, old, 0, {}, a, old, {.failOpen = 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Model h;
    for (auto [name, bytes] : {std::pair{"Pelmor.WK", c.work}, {"Pelmor.DAT", c.saved}, {"Pelmor.DAT.BAK", c.backup}})
      if (bytes) WriteFileBytes(h.dir.File(name), *bytes);
    FaultGuard faults;
    gFileFaults = c.fault;
    EXPECT_EQ(h.StartUp(c.bootInit), c.workAfter ? 0 : -101);
    gFileFaults = FileFaults();
    EXPECT_EQ(h.Maybe("Pelmor.WK"), c.workAfter);
    EXPECT_EQ(h.Maybe("Pelmor.DAT"), c.savedAfter);
    EXPECT_EQ(h.Maybe("Pelmor.DAT.BAK"), c.backupAfter);
  }
}

TEST(HistoryFiles, ARepairThatWouldCutCompleteRecordsKeepsTheWholeFileBesideItFirst) {
  std::string damaged = RecordBytes({"a", "b", "c"});
  damaged[9] = '\x7f';  // the second record's length: the count still names the records behind it
  const struct {
    const char* name;
    bool damagedAgain;  // before the second start
    size_t copies;
  } cases[] = {{"Pelmor.SAV", false, 1}, {"Pelmor.DAT", false, 1}, {"Pelmor.SAV", true, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFileBytes(dir.File(c.name), damaged);
    size_t told = 0;  // the copies the program was told of, to tell the user
    for (int run = 0; run < 2; ++run) {  // a start and an orderly exit, twice
      if (run == 1 && c.damagedAgain) WriteFileBytes(dir.File(c.name), damaged);
      HistoryModel m;
      ASSERT_EQ(OpenHistory(&m, dir.path, 0, {}), 0);
      EXPECT_EQ(RowCount(c.name == std::string("Pelmor.SAV") ? m.favorites : m.history), 1);
      for (const KeptCopy& kept : m.keptCopies) told += ReadFileBytes(kept.copy) == damaged;
      CloseHistory(&m);
    }
    EXPECT_EQ(dir.KeptCopies(), Texts(c.copies, damaged));
    EXPECT_EQ(told, c.copies);
  }
}

TEST(HistoryFiles, AnInterruptedExitNeverLeavesHalfASavedHistory) {
  // The machine stops while the copies are written, or the new saved history cannot be flushed.
  for (FileFaults fault : {FileFaults{.writeBudget = 20}, FileFaults{.failFlush = 2}}) {
    Model h;
    HistoryPaths paths = MakeHistoryPaths(h.dir.path);
    FaultGuard faults;
    const std::string saved = RecordBytes({"saved"}), work = RecordBytes({"saved", "a longer text of this run"});
    WriteFileBytes(paths.saved, saved);
    WriteFileBytes(paths.work, work);
    gFileFaults = fault;
    RotateHistoryFiles(paths);
    gFileFaults = FileFaults();
    EXPECT_EQ(ReadFileBytes(paths.saved), saved);
    EXPECT_FALSE(FileThere(paths.savedScratch) || FileThere(paths.backupScratch));
    ASSERT_NO_FATAL_FAILURE(h.StartUp(0));  // the next start finds the work file unsaved and keeps it
    EXPECT_EQ(ReadFileBytes(paths.saved), work);
    EXPECT_EQ(ReadFileBytes(paths.backup), saved);
    RotateHistoryFiles(paths, false);  // a second exit of one run keeps the backup
    EXPECT_EQ(ReadFileBytes(paths.backup), saved);
  }
}

}  // namespace
