// Loaded into Pelmor by a message hook of the test: popup menus cannot be read from
// another process, so this writes the items of Pelmor's open popup menu to
// menu-items.txt in Pelmor's current directory, one "id<TAB>state<TAB>text" line each.
#include <windows.h>

#include <cstdio>

static void WriteMenuItems(HMENU menu) {
  FILE* out = fopen("menu-items.txt.tmp", "wb");
  if (!out) return;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    UINT state = GetMenuState(menu, i, MF_BYPOSITION);
    state = (state & MF_SEPARATOR) ? MF_SEPARATOR : state & (MF_CHECKED | MF_GRAYED);
    fprintf(out, "%u\t%u\t%s\n", GetMenuItemID(menu, i), state, text);
  }
  fclose(out);
  MoveFileExA("menu-items.txt.tmp", "menu-items.txt", MOVEFILE_REPLACE_EXISTING);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeMenu(int code, WPARAM wParam, LPARAM lParam) {
  // The test deletes the file before each look; the library may stay loaded in between.
  if (GetFileAttributesA("menu-items.txt") == INVALID_FILE_ATTRIBUTES) {
    HWND popup = FindWindowA("#32768", nullptr);
    DWORD pid = 0;
    if (popup) GetWindowThreadProcessId(popup, &pid);
    if (popup && pid == GetCurrentProcessId() && IsWindowVisible(popup)) {
      if (HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0))) WriteMenuItems(menu);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
