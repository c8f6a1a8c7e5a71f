// Access to the clipboard shared by capture and paste-back.
#pragma once
#include <windows.h>

// Another program (or the system's own clipboard thread) may hold the clipboard for a
// moment: a few short tries, without holding up the clipboard chain for long.
bool OpenClipboardBriefly(HWND owner);
