// Win32: a move without MOVEFILE_REPLACE_EXISTING fails when the target is there.
#include <windows.h>

#include "exclusive_rename.h"

bool RenameWithoutReplacing(const char* source, const char* target) {
  return MoveFileExA(source, target, MOVEFILE_WRITE_THROUGH) != 0;
}
