// The history model in a fresh folder, as the native tests drive it: its files, its rows and
// what its operations answered.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "history/history_model.h"
#include "temp_dir.h"

using Texts = std::vector<std::string>;

// A process short of memory: while this is not 0, every allocation of as many bytes fails.
size_t gFailAllocationsFrom = 0;
void* operator new(size_t size) {
  void* block = gFailAllocationsFrom && size >= gFailAllocationsFrom ? nullptr : malloc(size ? size : 1);
  if (!block) throw std::bad_alloc();
  return block;
}
void operator delete(void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }

Texts Numbered(const std::string& prefix, int count) {
  Texts texts;
  for (int i = 0; i < count; ++i) texts.push_back(prefix + std::to_string(i));
  return texts;
}

// How a change reads in the tables: "+row" a row added, "R" the list reloaded, "-" nothing.
std::string Describe(const ListChange& c) {
  return c.kind == ListChange::kRowAdded ? "+" + std::to_string(c.row) : c.kind == ListChange::kReloaded ? "R" : "-";
}

// Each step of the file layer failing in turn, up to the n-th of each kind, and a crash after
// every few bytes (the disk takes no more); first, nothing failing.
std::vector<FileFaults> EachStepFailingInTurn(int n) {
  std::vector<FileFaults> faults = {{}};
  for (int i = 1; i <= n; ++i)
    faults.insert(faults.end(), {{.failOpen = i}, {.failRename = i}, {.failWrite = i}, {.failFlush = i}, {.writeBudget = 7 * i - 7}});
  return faults;
}

std::string Describe(const FileFaults& f) {
  return "open " + std::to_string(f.failOpen) + " rename " + std::to_string(f.failRename) + " write " +
         std::to_string(f.failWrite) + " flush " + std::to_string(f.failFlush) + " budget " + std::to_string(f.writeBudget);
}

// The texts as before an operation, and as after it took out any of those at these places.
std::set<Texts> AsBeforeOrAfter(const Texts& before, const std::vector<size_t>& going) {
  std::set<Texts> outcomes;
  for (size_t gone = 0; gone < (size_t{1} << going.size()); ++gone) {
    Texts after;
    for (size_t i = 0; i < before.size(); ++i) {
      size_t place = std::find(going.begin(), going.end(), i) - going.begin();
      if (place == going.size() || !(gone >> place & 1)) after.push_back(before[i]);
    }
    outcomes.insert(after);
  }
  return outcomes;
}

struct Model {
  TempDir dir;
  HistoryModel m;
  std::vector<int> chosen;  // rows the user chose, followed through every recording (-1: gone)
  ~Model() { CloseFileHandle(m.work); }
  int Open(const Texts& saved, const HistoryOptions& options = {}, const Texts& favorites = {}) {
    if (!saved.empty()) WriteFileBytes(dir.File("Pelmor.DAT"), RecordBytes(saved));
    if (!favorites.empty()) WriteFileBytes(dir.File("Pelmor.SAV"), RecordBytes(favorites));
    return OpenHistory(&m, dir.path, 0, options);
  }
  // Records one text, or several in one step, as a capture or an import does.
  std::string Record(const std::string& text) { return Record(Texts{text}); }
  std::string Record(const Texts& texts) {
    std::vector<int64_t> before = At(chosen);
    ListChange change;
    int result = texts.size() == 1 ? RecordText(&m, texts[0], &change)
                                   : RecordTexts(&m, std::vector<std::string_view>(texts.begin(), texts.end()), &change);
    chosen = RowsAfterRecording(m, change, before);
    return result == 0 ? Describe(change) : std::to_string(result);
  }
  // The user deletes these rows of the history and confirms.
  int Delete(const std::vector<int>& rows) {
    ListChange change;
    BeginDelete(&m, RecordList::kHistory, At(rows));
    return FinishDelete(&m, true, &change);
  }
  // The list's texts, row by row, and the positions of the rows asked for.
  Texts Rows(RecordList list = RecordList::kHistory) const {
    const RowIndex& index = list == RecordList::kHistory ? m.history : m.favorites;
    Texts rows;
    for (int row = 0; row < RowCount(index); ++row) rows.emplace_back(TextOf(index, *RecordOfRow(index, row)));
    return rows;
  }
  std::vector<int64_t> At(const std::vector<int>& rows, RecordList list = RecordList::kHistory) const {
    const RowIndex& index = list == RecordList::kHistory ? m.history : m.favorites;
    std::vector<int64_t> positions;
    for (int row : rows) positions.push_back(RecordOfRow(index, row) ? RecordOfRow(index, row)->position : -1);
    return positions;
  }
  std::string File(const char* name) const { return ReadFileBytes(dir.File(name)); }
  // A file's contents, or none when it is missing.
  std::optional<std::string> Maybe(const char* name) const {
    return FileThere(dir.File(name)) ? std::optional<std::string>(File(name)) : std::nullopt;
  }
  // Start-up as the program does it, ending with the work file closed.
  int StartUp(int bootInit) {
    HistoryModel model;
    int result = OpenHistory(&model, dir.path, bootInit, {});
    CloseWorkFile(&model);
    return result;
  }
  // The rewrites written on their own thread, as the program has them: one written is waited for
  // here before the next step, as the window thread takes its message.
  std::atomic<int> written = 0;
  void WriteBesideTheRows() {
    m.rewritten = [this] { ++written; };
  }
  void AwaitWritten() {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (m.rewrite && written == 0 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    ASSERT_TRUE(!m.rewrite || written > 0) << "a rewrite never written";
    written = 0;
  }
  // The history's texts in file order as a fresh start finds them, after a run that ends here
  // without its exit (killed).
  Texts AfterAKill() {
    CloseWorkFile(&m);
    HistoryModel fresh;
    EXPECT_EQ(OpenHistory(&fresh, dir.path, 0, {}), 0);
    EXPECT_EQ(fresh.history.bytes, File("Pelmor.WK"));
    Texts texts;
    for (const RecordSpan& r : fresh.history.records) texts.emplace_back(TextOf(fresh.history, r));
    CloseWorkFile(&fresh);
    return texts;
  }
  // The rows are the file: what a fresh start would show.
  void ExpectMirrors() const {
    EXPECT_EQ(m.history.bytes, File("Pelmor.WK"));
    EXPECT_EQ(m.favorites.bytes, File("Pelmor.SAV"));
  }
};
