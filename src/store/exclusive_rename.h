// A rename that never replaces: for a file that is written once and must not be overwritten
// by a second writer that came at the same moment (the first one's file stays).
#pragma once

// Renames source to target when no file of that name is there; false when one is, or when
// the rename fails (source then stays).
bool RenameWithoutReplacing(const char* source, const char* target);
