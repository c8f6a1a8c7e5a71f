// Stands in for the text editor: writes its own path and, on the next line, the command
// line it got to editor-args.txt in its current directory, and ends.
#include <windows.h>

#include <cstdio>

int main() {
  FILE* f = fopen("editor-args.txt", "wb");
  if (!f) return 1;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  fprintf(f, "%s\n%s", self, GetCommandLineA());
  fclose(f);
  return 0;
}
