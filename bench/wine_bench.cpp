// Timings of the real Pelmor.exe under Wine at 1,000, 10,000 and 100,000 history records:
// start-up until every row is listed, deleting one row (from OK until the list is
// reloaded), copying a text that is already in the history with OVERLAP 1 (until it is
// listed once), a new capture against a bare clipboard viewer, and one filter keystroke.
// Run from build/win: wine pelmor_bench.exe
#include "harness.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Texts of 20 to 400 bytes, like the lines, URLs and paragraphs people copy.
std::string TypicalText(int i) {
  return "copied text " + std::to_string(i) + " " + std::string(static_cast<size_t>(20 + (i * 7919) % 360), static_cast<char>('a' + i % 26));
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

struct Figures {
  double startup, remove, repeat, capture, bare, filter;
  double megabytes, fileMegabytes;
};

bool Measure(int n, Figures* f) {
  std::vector<std::string> texts;
  for (int i = 0; i < n; ++i) texts.push_back(TypicalText(i));
  const std::string history = RecordBytes(texts);
  f->fileMegabytes = static_cast<double>(history.size()) / 1e6;
  ChainViewer viewer;
  f->bare = Best(5, [&](int i) { return CopyTime(viewer, "bare " + std::to_string(i)); });
  Pelmor p(MakeDataDir("bench"));
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
  if (!p.Settled()) return Failed("the list after the deletes");
  PressKey('F', false, true);
  HWND line = nullptr;
  if (!WaitUntil([&] { return (line = p.Child(5994)) != nullptr; })) return Failed("the filter line");
  f->filter = Best(3, [&](int i) {
    Ask(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    double start = Now();
    Ask(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(i % 2 ? "e" : "7"));  // one keystroke's work
    return Now() - start;
  });
  return p.Quit() == 0;
}

}  // namespace

int main() {
  // Each time also as a multiple of the 1,000-record start in the same run: the machine's speed
  // cancels out.
  printf("| records | file MB | start-up ms (x 1k start) | delete one row ms (x) | repeat copy (OVERLAP 1) ms (x) | "
         "capture ms (bare viewer ms) | filter keystroke ms | Pelmor MB |\n|---|---|---|---|---|---|---|---|\n");
  double base = 0;
  for (int n : {1000, 10000, 100000}) {
    Figures f;
    if (!Measure(n, &f)) return 1;
    if (base == 0) base = f.startup;
    printf("| %d | %.1f | %.0f (%.2f) | %.0f (%.2f) | %.0f (%.2f) | %.1f (%.1f) | %.1f | %.0f |\n", n, f.fileMegabytes,
           f.startup, f.startup / base, f.remove, f.remove / base, f.repeat, f.repeat / base, f.capture, f.bare, f.filter,
           f.megabytes);
    fflush(stdout);
  }
  return 0;
}
