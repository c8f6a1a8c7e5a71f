// A bare clipboard reader: another program in the clipboard viewer chain that
// passes each notification on as the chain asks, reads the text of every change it hears of
// and, when closed, writes the texts it read to the file given, one a line.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

HWND next;
const char* logPath;
std::vector<std::string> texts;

void ReadText(HWND window) {
  if (!OpenClipboard(window)) return;
  HANDLE data = GetClipboardData(CF_TEXT);
  if (const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr) {
    texts.push_back(text);
    GlobalUnlock(data);
  }
  CloseClipboard();
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DRAWCLIPBOARD:
      ReadText(window);
      if (next) SendMessageA(next, message, wParam, lParam);
      return 0;
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(wParam) == next)
        next = reinterpret_cast<HWND>(lParam);
      else if (next)
        SendMessageA(next, message, wParam, lParam);
      return 0;
    case WM_CLOSE:
      ChangeClipboardChain(window, next);
      if (FILE* f = fopen(logPath, "wb")) {
        for (const std::string& text : texts) fprintf(f, "%s\n", text.c_str());
        fclose(f);
      }
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  logPath = argv[1];
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ViewerProc;
  wc.lpszClassName = "PelmorClipboardReader";
  RegisterClassA(&wc);
  HWND window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  next = SetClipboardViewer(window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
