// POSIX: a hard link to the new name is refused when that name is taken.
#include <unistd.h>

#include "exclusive_rename.h"
#include "file_faults.h"

bool RenameWithoutReplacing(const char* source, const char* target) {
  if (gFileFaults.failRename > 0 && --gFileFaults.failRename == 0) return false;
  if (link(source, target) != 0) return false;
  unlink(source);  // the new name is in place; a scratch name left behind is made anew next time
  return true;
}
