// Start-up and capture timings of the real Pelmor.exe under Wine, at 1,000, 10,000 and
// 100,000 history records. Run from build/win: wine pelmor_bench.exe
#include "harness.h"

#include <commctrl.h>

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

std::string History(int records) {
  std::vector<std::string> all;
  for (int i = 0; i < records; ++i)
    all.push_back("copied text " + std::to_string(i) + " " + std::string(static_cast<size_t>(20 + (i * 7919) % 380), static_cast<char>('a' + i % 26)));
  return RecordBytes(all);
}

int RowCount(const Pelmor& p) { return static_cast<int>(SendMessageA(p.Child(kHistory), LVM_GETITEMCOUNT, 0, 0)); }

// Milliseconds from a copy until its row is in the list (best of a few).
double CaptureTime(const Pelmor& p) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    int before = RowCount(p);
    double start = Now();
    CopyText("benchmark capture " + std::to_string(i) + " " + std::to_string(GetTickCount()));
    WaitUntil([&] { return RowCount(p) > before; }, 20000);
    best = std::min(best, Now() - start);
  }
  return best;
}

}  // namespace

int main() {
  printf("| records | start-up to list ready ms | capture OVERLAP 0 ms | capture OVERLAP 1 ms |\n|---|---|---|---|\n");
  for (int n : {1000, 10000, 100000}) {
    double timings[3] = {0, 0, 0};
    for (int overlap = 0; overlap < 2; ++overlap) {
      Pelmor p(MakeDataDir("bench-" + std::to_string(n)));
      WriteFileBytes(p.File("Pelmor.DAT"), History(n));
      WriteFileBytes(p.File("Pelmor.ini"), overlap ? "[OPTION]\r\nOVERLAP=1\r\n" : "");
      double start = Now();
      if (!p.Start()) return 1;
      if (overlap == 0) timings[0] = Now() - start;
      timings[1 + overlap] = CaptureTime(p);
      p.Quit();
    }
    printf("| %d | %.0f | %.1f | %.1f |\n", n, timings[0], timings[1], timings[2]);
  }
  return 0;
}
