// The history's operations at 1,000, 10,000, 100,000 and 1,000,000 records of typical clipboard texts,
// natively, a capped history under 100,000 captures, another PC's backlog imported, and the
// sealing of a folder with a passphrase.
// Run: build/host/store_bench [directory] [sizes: the first table only]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "history/history_model.h"
#include "sync/day_files.h"
#include "sync/key_file.h"
#include "sync/sealed_day_files.h"
#include "sync/sync_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Texts of 20 to 400 bytes, like the lines, URLs and paragraphs people copy.
std::string TypicalText(int i) {
  std::string text = "copied text " + std::to_string(i) + " ";
  text.append(static_cast<size_t>(20 + (int64_t{i} * 7919) % 380), static_cast<char>('a' + i % 26));
  return text;
}

void Fill(const std::string& path, int records) {
  FILE* f = fopen(path.c_str(), "wb");
  int32_t count = records;
  fwrite(&count, 4, 1, f);
  for (int i = 0; i < records; ++i) {
    std::string t = TypicalText(i);
    int32_t n = static_cast<int32_t>(t.size());
    fwrite(&n, 4, 1, f);
    fwrite(t.data(), 1, t.size(), f);
  }
  fclose(f);
}

// The best of some rounds: the time the function took, or the time it returns itself.
template <typename F>
double Best(int rounds, F f) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    double took = 0;
    if constexpr (std::is_same_v<decltype(f()), double>)
      took = f();
    else
      f(), took = MillisecondsSince(start);
    best = std::min(best, took);
  }
  return best;
}

void RemoveFiles(const std::string& dir) {
  for (const char* name : {"Pelmor.WK", "Pelmor.DAT", "Pelmor.DAT.BAK", "Pelmor.SAV"}) unlink((dir + name).c_str());
}

void MeasureSizes(const std::string& dir) {
  printf("| records | file MB | start-up ms | capture ms | repeat (OVERLAP 1) ms | delete one ms | "
         "save 3 to favorites ms | filter \"7\" ms | filter \"7e\" typed on ms |\n");
  printf("|---|---|---|---|---|---|---|---|---|\n");
  for (int n : {1000, 10000, 100000, 1000000}) {
    RemoveFiles(dir);
    Fill(dir + "Pelmor.DAT", n);
    HistoryModel model;
    // Start-up after an orderly exit: the work file equals the saved history.
    double startup = Best(3, [&] {
      CloseHistory(&model);
      model = HistoryModel();
      auto start = Clock::now();
      OpenHistory(&model, dir, 0, {.dropDuplicates = true});
      return MillisecondsSince(start);
    });
    double mb = static_cast<double>(model.history.bytes.size()) / 1e6;
    ListChange change;
    int serial = 0;
    double capture = Best(50, [&] { RecordText(&model, "new text " + std::to_string(serial++), &change); });
    double repeat = Best(3, [&] {
      std::string older(TextOf(model.history, model.history.records[model.history.records.size() / 3]));
      RecordText(&model, older, &change);
    });
    double remove = Best(3, [&] {
      BeginDelete(&model, RecordList::kHistory, {model.history.records[model.history.records.size() / 2].position});
      FinishDelete(&model, true, &change);
    });
    const std::vector<int64_t> picks = {model.history.records[0].position,
                                        model.history.records[model.history.records.size() / 2].position,
                                        model.history.records.back().position};
    double save = Best(5, [&] { CopyToFavorites(&model, picks, &change); });
    double filter = Best(5, [&] {
      SetRowFilter(&model.history, {});
      SetRowFilter(&model.history, {"7", "7"});
    });
    double typedOn = Best(5, [&] {
      SetRowFilter(&model.history, {"7", "7"});
      auto start = Clock::now();
      SetRowFilter(&model.history, {"7e", "7e"});
      return MillisecondsSince(start);
    });
    CloseHistory(&model);
    printf("| %d | %.1f | %.1f | %.4f | %.1f | %.1f | %.2f | %.1f | %.1f |\n", n, mb, startup, capture, repeat, remove,
           save, filter, typedOn);
  }
}

// A cap of 10,000 under 100,000 captures: each capture's time, and the cut's.
void MeasureCap(const std::string& dir) {
  RemoveFiles(dir);
  HistoryModel model;
  OpenHistory(&model, dir, 0, {.maxCount = 10000});
  double total = 0, worst = 0;
  int cuts = 0;
  ListChange change;
  for (int i = 0; i < 100000; ++i) {
    auto start = Clock::now();
    RecordText(&model, TypicalText(i), &change);
    double took = MillisecondsSince(start);
    total += took;
    worst = std::max(worst, took);
    cuts += change.kind == ListChange::kReloaded;
  }
  printf("\n| cap | captures | mean capture ms | worst capture ms (a cut) | cuts | records at the end |\n");
  printf("|---|---|---|---|---|---|\n| 10000 | 100000 | %.4f | %.1f | %d | %d |\n", total / 100000, worst, cuts,
         RowCount(model.history));
  CloseHistory(&model);
  // The cut of a 100,000-record history to a cap of 10,000 (at start-up or when the cap is set).
  RemoveFiles(dir);
  Fill(dir + "Pelmor.DAT", 100000);
  OpenHistory(&model, dir, 0, {});
  ListChange history, favorites;
  auto start = Clock::now();
  ApplyHistoryOptions(&model, {.maxCount = 10000}, &history, &favorites);
  printf("\nCutting 100,000 records to 10,000: %.1f ms\n", MillisecondsSince(start));
  CloseHistory(&model);
  RemoveFiles(dir);
}

// Another PC's backlog of 10,000 records in one day file: collected and recorded as the program
// does it (into a history of 100,000, repeats removed), and an idle look at the folder.
void MeasureImport(const std::string& dir) {
  const std::string sync = dir + "sync/", data = dir + "data/";
  std::filesystem::remove_all(sync), std::filesystem::remove_all(data);  // left by an interrupted run
  MakeDirectory(sync.c_str()), MakeDirectory((sync + "A").c_str()), MakeDirectory(data.c_str());
  Fill(sync + "A/20261208.PLM", 10000);
  Fill(data + "Pelmor.DAT", 100000);
  HistoryModel model;
  OpenHistory(&model, data, 0, {.dropDuplicates = true});
  SyncFolder folder;
  StartSync(&folder, {sync, "B", "bench", 30}, data, {2026, 12, 8});
  auto start = Clock::now();
  std::vector<ImportBatch> batches = CollectImports(&folder);
  std::vector<std::string_view> texts(batches.at(0).texts.begin(), batches.at(0).texts.end());
  ListChange change;
  RecordTexts(&model, texts, &change);
  ConfirmImport(&folder, batches.at(0));
  double import = MillisecondsSince(start);
  double idle = Best(50, [&] { CollectImports(&folder); });
  printf("\nImporting another PC's backlog of %zu records into a history of 100,000: %.1f ms; an idle look at the "
         "folder: %.3f ms\n", texts.size(), import, idle);
  CloseHistory(&model);
  std::filesystem::remove_all(sync), std::filesystem::remove_all(data);
}

// With a passphrase: one capture sealed and appended to the day file (as a flush does it),
// beside the plain append; another PC's sealed backlog of 10,000 read and opened, beside the plain
// read; and the key's derivation.
void MeasureSealing(const std::string& dir) {
  const std::string plain = dir + "20261208.PLM", sealed = dir + "20261208.PLX", place = "A\\20261208.PLX";
  unlink(plain.c_str()), unlink(sealed.c_str());
  SealKey key;
  RandomBytes(key.bytes, kKeySize);
  std::string record;
  int serial = 0;
  double seal = Best(1000, [&] { SealRecord(key, place, serial, TypicalText(serial), &record), ++serial; });
  double appendPlain = Best(200, [&] { AppendToDayFile(plain, {TypicalText(serial++)}, nullptr); });
  double appendSealed = Best(200, [&] { AppendToSealedDayFile(sealed, place, key, {TypicalText(serial++)}); });
  unlink(plain.c_str()), unlink(sealed.c_str());
  std::vector<std::string> backlog;
  for (int i = 0; i < 10000; ++i) backlog.push_back(TypicalText(i));
  AppendToDayFile(plain, backlog, nullptr);
  AppendToSealedDayFile(sealed, place, key, backlog);
  int32_t available = 0;
  std::vector<std::string> texts;
  double readPlain = Best(5, [&] { ReadPeerDayFile(plain, 0, &available, &texts); });
  double readSealed = Best(5, [&] { ReadPeerSealedDayFile(sealed, place, key, 0, &available, &texts); });
  KeyFile file;
  RandomBytes(file.salt, kSaltSize);
  double derive = Best(3, [&] { DeriveKey("a passphrase of some length", file.salt, &key); });
  printf("\n| sealing | sealed per capture ms | append plain ms | append sealed ms | read 10,000 plain ms | read 10,000 "
         "sealed ms | derivation ms |\n|---|---|---|---|---|---|---|\n| AES-256-GCM-SIV, Argon2id 64 MiB | %.4f | %.3f "
         "| %.3f | %.1f | %.1f | %.0f |\n", seal, appendPlain, appendSealed, readPlain, readSealed, derive);
  unlink(plain.c_str()), unlink(sealed.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = std::string(argc > 1 ? argv[1] : "/tmp") + "/pelmor-bench/";
  mkdir(dir.c_str(), 0755);
  MeasureSizes(dir);
  if (argc > 2 && std::string(argv[2]) == "sizes") return 0;
  MeasureCap(dir);
  MeasureImport(dir);
  MeasureSealing(dir);
  rmdir(dir.c_str());
  return 0;
}
