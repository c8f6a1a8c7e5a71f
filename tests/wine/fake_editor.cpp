// Stands in for the text editor: writes the command line it got to editor-args.txt in
// its current directory and ends.
#include <windows.h>

#include <cstdio>

int main() {
  FILE* f = fopen("editor-args.txt", "wb");
  if (!f) return 1;
  fputs(GetCommandLineA(), f);
  fclose(f);
  return 0;
}
