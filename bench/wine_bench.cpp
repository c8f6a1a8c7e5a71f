// Timings of the real Pelmor.exe under Wine at 1,000, 10,000, 100,000 and 1,000,000 history records:
// start-up until every row is listed, deleting one row (from OK until the list is
// reloaded), copying a text that is already in the history with OVERLAP 1 (until it is
// listed once), a new capture against a bare clipboard viewer, one filter keystroke and the
// resident size; with a sync folder, plain and with a passphrase; a long record's row; a burst of
// copies against a bare clipboard reader. Run from build/win: wine pelmor_bench.exe (or with
// "history", "long", "burst [rounds]" or "sync": that part only)
#include "harness.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <cstdio>
#include <string>

#include "sync/key_file.h"
#include "sync/sealed_day_files.h"

namespace {

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Texts of 20 to 400 bytes, like the lines, URLs and paragraphs people copy.
std::string TypicalText(int i) {
  return "copied text " + std::to_string(i) + " " + std::string(static_cast<size_t>(20 + (int64_t{i} * 7919) % 360), static_cast<char>('a' + i % 26));
}

int RowCount(const Pelmor& p) { return static_cast<int>(Ask(p.Child(kHistory), LVM_GETITEMCOUNT)); }

// Milliseconds until the condition holds, polled without pause.
double Until(double start, const std::function<bool()>& condition) {
  while (!condition()) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (Now() - start > 30000) return -1;
  }
  return Now() - start;
}

template <typename F>
double Best(int rounds, F measure) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) best = std::min(best, measure(i));
  return best;
}

// A copy through a viewer of the test's own, with or without Pelmor ahead of it.
double CopyTime(ChainViewer& viewer, const std::string& text) {
  int seen = viewer.notifications;
  double start = Now();
  CopyText(text);
  return Until(start, [&] { return viewer.notifications > seen; });
}

bool Failed(const char* step) {
  fprintf(stderr, "bench: %s failed\n", step);
  return false;
}

double CpuMilliseconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
  return ms(kernel) + ms(user);
}

// Until Pelmor has used no CPU for a while: a rewrite it writes on its own thread is through.
bool UntilIdle(const Pelmor& p) {
  double cpu = -1, start = Now();
  while (Now() - start < 30000) {
    double now = CpuMilliseconds(p.process.hProcess);
    if (now == cpu) return true;
    cpu = now;
    Sleep(200);
  }
  return false;
}

struct Figures {
  double startup, remove, repeat, capture, bare, filter;
  double megabytes, residentMegabytes, fileMegabytes;
};

bool Measure(int n, Figures* f) {
  std::vector<std::string> texts;
  for (int i = 0; i < n; ++i) texts.push_back(TypicalText(i));
  const std::string history = RecordBytes(texts);
  f->fileMegabytes = static_cast<double>(history.size()) / 1e6;
  ChainViewer viewer;
  f->bare = Best(5, [&](int i) { return CopyTime(viewer, "bare " + std::to_string(i)); });
  Pelmor p(MakeDataDir("bench"));
  // A first start warms Wine's caches for every size alike.
  if (!p.Start() || p.Quit() != 0) return Failed("a first start");
  f->startup = Best(5, [&](int) {
    WriteFileBytes(p.File("Pelmor.DAT"), history);
    WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nOVERLAP=1\r\n");
    double start = Now();
    if (!p.Start()) return 1e9;
    double time = Until(start, [&] { return RowCount(p) == n; });
    p.Quit();  // a start after a killed run is slower under Wine
    return time;
  });
  if (!p.Start()) return Failed("start");
  f->capture = Best(5, [&](int i) { return CopyTime(viewer, "new capture " + std::to_string(i)); });
  f->repeat = Best(3, [&](int i) { return CopyTime(viewer, texts[static_cast<size_t>(n / 3 + i)]); });
  PROCESS_MEMORY_COUNTERS memory = {};
  GetProcessMemoryInfo(p.process.hProcess, &memory, sizeof memory);
  f->megabytes = static_cast<double>(memory.PagefileUsage) / 1e6;
  f->residentMegabytes = static_cast<double>(memory.WorkingSetSize) / 1e6;
  if (!p.ShowList()) return Failed("showing the list");
  f->remove = Best(3, [&](int) {
    int before = RowCount(p);
    p.Select(kHistory, {before / 2});
    PressKey(VK_DELETE);
    HWND box = p.Dialog("確認");
    if (!box) return 1e9;
    double start = Now();
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    double time = Until(start, [&] { return RowCount(p) == before - 1; });
    if (!p.Settled()) return 1e9;
    return time;
  });
  if (!p.Settled() || !UntilIdle(p)) return Failed("the list after the deletes");
  PressKey('F', false, true);
  HWND line = nullptr;
  if (!WaitUntil([&] { return (line = p.Child(5994)) != nullptr; })) return Failed("the filter line");
  // A first keystroke from the empty line, each round with another letter that 1 text in 26
  // holds (never one searched before).
  f->filter = Best(3, [&](int i) {
    Ask(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    const char* letter[] = {"q", "j", "k"};
    double start = Now();
    Ask(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(letter[i % 3]));  // one keystroke's work
    return Now() - start;
  });
  return p.Quit() == 0;
}

// With the sync folder on: a capture against the bare viewer, the CPU of the idle 1 s ticks,
// and another PC's backlog of 10,000 records from the moment its day file is there until it is
// listed.
bool MeasureSync() {
  const std::string root = MakeDataDir("bench-sync"), folder = root + "sync\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "A\\").c_str(), nullptr);
  Pelmor p(root + "B\\");
  CreateDirectoryA(p.dir.c_str(), nullptr);
  WriteFileBytes(p.File("Pelmor.ini"), "[SYNC]\r\nDIR=" + folder + "\r\nNAME=B\r\nID=bench-b\r\n");
  ChainViewer viewer;
  double bare = Best(5, [&](int i) { return CopyTime(viewer, "bare " + std::to_string(i)); });
  if (!p.Start()) return Failed("start with a sync folder");
  double capture = Best(5, [&](int i) { return CopyTime(viewer, "synced capture " + std::to_string(i)); });
  if (!WaitUntil([&] { return !FileThere(p.File("Pelmor.OUT")); })) return Failed("the captures written out");
  // CPU per second of an idle Pelmor, with the tick and (from its settings) without.
  auto idleCpu = [](const Pelmor& idle) {
    double cpu = CpuMilliseconds(idle.process.hProcess), since = Now();
    WaitUntil([] { return false; }, 10000);
    return (CpuMilliseconds(idle.process.hProcess) - cpu) / ((Now() - since) / 1000);
  };
  double perTick = idleCpu(p);
  Pelmor off(root + "C\\");
  CreateDirectoryA(off.dir.c_str(), nullptr);
  if (!off.Start()) return Failed("start without a sync folder");
  double perSecondOff = idleCpu(off);
  off.Quit();
  std::vector<std::string> backlog;
  for (int i = 0; i < 10000; ++i) backlog.push_back(TypicalText(i));
  int before = RowCount(p);
  SYSTEMTIME now;
  GetLocalTime(&now);
  char day[16];
  snprintf(day, sizeof day, "%04d%02d%02d.PLM", now.wYear, now.wMonth, now.wDay);
  double start = Now();
  WriteFileBytes(folder + "A\\" + day, RecordBytes(backlog));
  double import = Until(start, [&] { return RowCount(p) == before + 10000; });
  printf("\nSync folder on: capture %.1f ms (bare viewer %.1f ms); idle, %.2f ms of CPU a second (%.2f without a sync "
         "folder); another PC's backlog of 10,000 records listed %.0f ms after its file arrived (the tick comes twice a "
         "second)\n", capture, bare, perTick, perSecondOff, import);
  return p.Quit() == 0;
}

// One ask of another program for a row's text, with the room the list itself gives when it
// draws a row; its milliseconds.
double AskRowText(const Pelmor& p, int row, bool wide) {
  const int room = 260;
  char* remote = static_cast<char*>(
      VirtualAllocEx(p.process.hProcess, nullptr, sizeof(LVITEMW) + room * 2, MEM_COMMIT, PAGE_READWRITE));
  LVITEMW item = {};
  item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof item);
  item.cchTextMax = room;
  WriteProcessMemory(p.process.hProcess, remote, &item, sizeof item, nullptr);
  double start = Now();
  Ask(p.Child(kHistory), wide ? LVM_GETITEMTEXTW : LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
  double time = Now() - start;
  VirtualFreeEx(p.process.hProcess, remote, 0, MEM_RELEASE);
  return time;
}

// A long record's row costs what a short one's does: the list asks for a row's text at every
// draw, as other programs do.
bool MeasureLongRows() {
  printf(
      "\n| record | its row's text, UTF-16 ms | in the code page ms | a short row's ms "
      "|\n|---|---|---|---|\n");
  for (int mib : {16, 48}) {
    for (bool exact : {false, true}) {
      // With an exact text: half its bytes the code page text, half the UTF-8 (é) after the zero.
      std::string record = exact ? std::string(static_cast<size_t>(mib) << 19, 'a') + '\0' : "";
      while (record.size() < (static_cast<size_t>(mib) << 20)) record += exact ? "\xC3\xA9" : "a";
      Pelmor p(MakeDataDir("bench-long"));
      WriteFileBytes(p.File("Pelmor.DAT"), RecordBytes({"short", record}));
      if (!p.Start() || !WaitUntil([&] { return RowCount(p) == 2; }, 30000))
        return Failed("a long record's start");
      double wide = Best(5, [&](int) { return AskRowText(p, 0, true); });
      double codePage = Best(5, [&](int) { return AskRowText(p, 0, false); });
      double shortRow = Best(5, [&](int) { return AskRowText(p, 1, true); });
      printf("| %d MiB%s | %.2f | %.2f | %.2f |\n", mib, exact ? " with an exact text" : "", wide, codePage,
             shortRow);
      fflush(stdout);
      if (p.Quit() != 0) return Failed("quitting after a long record");
    }
  }
  return true;
}

// What one reader made of a burst: the distinct texts of the burst it read, whether it ended with
// the burst's last text, and how long the burst took (a reader holding the clipboard makes the
// copier wait).
struct BurstRead {
  size_t distinct;
  bool endsWithLast;
  double burstMs;
};

BurstRead ReadOfBurst(const std::vector<std::string>& texts, const std::string& tag, int copies, double burstMs) {
  std::set<std::string> burst;
  for (const std::string& t : texts)
    if (t.rfind(tag, 0) == 0) burst.insert(t);
  return {burst.size(), !texts.empty() && texts.back() == tag + std::to_string(copies - 1), burstMs};
}

void PrintBurstReads(const char* reader, std::vector<BurstRead> reads) {
  std::sort(reads.begin(), reads.end(), [](const BurstRead& a, const BurstRead& b) { return a.distinct < b.distinct; });
  int last = 0;
  std::vector<double> ms;
  for (const BurstRead& r : reads) last += r.endsWithLast, ms.push_back(r.burstMs);
  std::sort(ms.begin(), ms.end());
  printf("| %s | %zu | %zu | %zu | %d of %zu | %.0f |\n", reader, reads.front().distinct, reads[reads.size() / 2].distinct,
         reads.back().distinct, last, reads.size(), ms[ms.size() / 2]);
}

// A burst of 200 copies with no gap between them, in rounds: the distinct texts that a bare
// clipboard reader (a viewer in a process of its own that reads each change it hears of) reads,
// against those that Pelmor records, without and with a sync folder; each alone, in turn.
bool MeasureBurst(int rounds) {
  constexpr int kCopies = 200;
  const std::string root = MakeDataDir("bench-burst"), folder = root + "sync\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  auto burst = [&](const std::string& tag) {
    double start = Now();
    for (int i = 0; i < kCopies; ++i) CopyText(tag + std::to_string(i));
    return Now() - start;
  };
  std::vector<BurstRead> reads[4];
  for (int round = 0; round < rounds; ++round) {
    ViewerProcess reader;
    std::string tag = "bare " + std::to_string(round) + " ", log = root + "read.txt";
    if (!reader.Start(log)) return Failed("the bare reader");
    double ms = burst(tag);
    if (!reader.Close()) return Failed("closing the bare reader");
    std::vector<std::string> read;
    std::istringstream in(ReadFileBytes(log));
    for (std::string line; std::getline(in, line);) read.push_back(line);
    reads[0].push_back(ReadOfBurst(read, tag, kCopies, ms));
    for (int sync = 0; sync < 3; ++sync) {  // 1: with a sync folder, 2: with the list shown
      Pelmor p(MakeDataDir("bench-burst-pelmor"));
      WriteFileBytes(p.File("Pelmor.ini"),
                     sync == 1 ? "[SYNC]\r\nDIR=" + folder + "\r\nNAME=B" + std::to_string(round) + "\r\nID=b\r\n" : "");
      if (!p.Start() || (sync == 2 && !p.ShowList())) return Failed("start for the burst");
      tag = "pelmor " + std::to_string(round) + " " + std::to_string(sync) + " ";
      ms = burst(tag);
      Rows rows;  // once the last copy is on top, or two seconds after the burst
      WaitUntil([&] { return !(rows = p.Rows(kHistory)).empty() && rows.front() == tag + std::to_string(kCopies - 1); }, 2000);
      reads[1 + sync].push_back(ReadOfBurst(Rows(rows.rbegin(), rows.rend()), tag, kCopies, ms));
      if (p.Quit() != 0) return Failed("quitting after the burst");
    }
  }
  printf("\nA burst of %d copies with no gap, %d rounds:\n\n| reader | fewest texts read | median | most | ended with "
         "the last copy | burst ms (median) |\n|---|---|---|---|---|---|\n", kCopies, rounds);
  PrintBurstReads("bare reader", reads[0]);
  PrintBurstReads("Pelmor", reads[1]);
  PrintBurstReads("Pelmor with a sync folder", reads[2]);
  PrintBurstReads("Pelmor with the list shown", reads[3]);
  return true;
}

// With a passphrase: the derivation at OK on the 「同期」 page (from OK until the sheet is gone),
// another PC's sealed backlog of 10,000 records from the moment its day file is renamed into
// place (as an engine delivers it) until it is listed, and captures sealed into the day file.
bool MeasureSealedSync() {
  const std::string root = MakeDataDir("bench-sealed"), folder = root + "sync\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "A\\").c_str(), nullptr);
  char pass[] = "a passphrase of some length";
  SealKey key;
  KeyFile file;
  if (NewKeyFile(pass, strlen(pass), &key, &file) != JoinResult::kNew ||
      !WriteNewKeyFile(folder + "Pelmor.KEY", folder + "Pelmor.KEY.TMP", file))
    return Failed("making Pelmor.KEY");
  Pelmor p(root + "B\\");
  CreateDirectoryA(p.dir.c_str(), nullptr);
  WriteFileBytes(p.File("Pelmor.ini"), "[SYNC]\r\nDIR=" + folder + "\r\nNAME=B\r\nID=bench-b\r\n");
  if (!p.Start() || p.Answer("ｴﾗｰ", IDOK) == "(no dialog)") return Failed("the passphrase asked for");
  HWND sheet = OpenSheet(p), page = GoToPage(sheet, 4);
  if (!page) return Failed("the sync page");
  for (int id : {1022, 1023}) SetDlgItemTextA(page, id, "a passphrase of some length");
  double start = Now();
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  double atOk = Until(start, [&] { return !IsWindow(sheet); });
  SYSTEMTIME now;
  GetLocalTime(&now);
  char day[16];
  snprintf(day, sizeof day, "%04d%02d%02d.PLX", now.wYear, now.wMonth, now.wDay);
  std::vector<std::string> backlog;
  for (int i = 0; i < 10000; ++i) backlog.push_back(TypicalText(i));
  const std::string delivered = folder + "delivered.tmp";
  double import = 0;
  for (const char* peer : {"A", "C", "D"}) {
    CreateDirectoryA((folder + peer).c_str(), nullptr);
    if (AppendToSealedDayFile(delivered, std::string(peer) + "\\" + day, key, backlog) != 0) return Failed("sealing");
    int before = RowCount(p);
    start = Now();
    MoveFileA(delivered.c_str(), (folder + peer + "\\" + day).c_str());
    import = std::max(import, Until(start, [&] { return RowCount(p) == before + 10000; }));
    fprintf(stderr, "bench: sealed backlog listed %.0f ms after it arrived\n", Now() - start);
  }
  // A fresh start with the key, then captures: from the copy until the sealed record is in the
  // day file (the flush runs after the clipboard's notification), the first and the best of the rest.
  if (p.Quit() != 0 || !p.Start()) return Failed("a start with the key");
  const std::string own = folder + "B\\" + day;
  auto sealedCapture = [&](int i) {
    std::string before = ReadFileBytes(own);
    double began = Now();
    CopyText("sealed capture " + std::to_string(i));
    return Until(began, [&] {
      std::string now = ReadFileBytes(own);  // empty while Pelmor holds it
      return now.size() > before.size() && now.substr(0, 4) != before.substr(0, 4);
    });
  };
  double first = sealedCapture(0), next = Best(5, [&](int i) { return sealedCapture(i + 1); });
  printf("\nWith a passphrase: OK on the sync page (the derivation) %.0f ms; another PC's sealed backlog of 10,000 "
         "records listed %.0f ms after its file arrived at most (three times; the tick comes twice a second); a capture "
         "sealed into the day file %.0f ms after the copy, the first after a start %.0f ms\n", atOk, import, next, first);
  return p.Quit() == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "long") == 0) return MeasureLongRows() ? 0 : 1;
  if (argc > 1 && strcmp(argv[1], "burst") == 0) return MeasureBurst(argc > 2 ? atoi(argv[2]) : 10) ? 0 : 1;
  if (argc > 1 && strcmp(argv[1], "sync") == 0) return MeasureSync() && MeasureSealedSync() ? 0 : 1;
  // Each time also as a multiple of the 1,000-record start in the same run: the machine's speed
  // cancels out.
  printf("| records | file MB | start-up ms (x 1k start) | delete one row ms (x) | repeat copy (OVERLAP 1) ms (x) | "
         "capture ms (bare viewer ms) | filter keystroke ms | Pelmor private MB | resident MB |\n"
         "|---|---|---|---|---|---|---|---|---|\n");
  double base = 0;
  for (int n : {1000, 10000, 100000, 1000000}) {
    Figures f;
    if (!Measure(n, &f)) return 1;
    if (base == 0) base = f.startup;
    printf("| %d | %.1f | %.0f (%.2f) | %.0f (%.2f) | %.0f (%.2f) | %.1f (%.1f) | %.1f | %.0f | %.0f |\n", n,
           f.fileMegabytes, f.startup, f.startup / base, f.remove, f.remove / base, f.repeat, f.repeat / base, f.capture,
           f.bare, f.filter, f.megabytes, f.residentMegabytes);
    fflush(stdout);
  }
  if (argc > 1 && strcmp(argv[1], "history") == 0) return 0;
  return MeasureSync() && MeasureSealedSync() && MeasureLongRows() && MeasureBurst(10) ? 0 : 1;
}
