#include "harness.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <sstream>

bool WaitUntil(const std::function<bool()>& condition, int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (condition()) return true;
    if (static_cast<LONG>(GetTickCount() - end) > 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

std::string ProgramDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  *strrchr(path, '\\') = '\0';
  return path;
}

static void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(dir + name + "\\");
      RemoveDirectoryA((dir + name).c_str());
    } else {
      DeleteFileA((dir + name).c_str());
    }
  } while (FindNextFileA(h, &found));
  FindClose(h);
}

std::string MakeDataDir(const std::string& name) {
  // A root of fixed length, whatever folder the suite was built in: paths the tests make
  // long on purpose stay exactly as long.
  std::string root = kDataRoot;
  CreateDirectoryA(root.c_str(), nullptr);
  std::string dir = root + name + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  RemoveTree(dir);
  return dir;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool FileThere(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

static std::string Int32(int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

std::string Records(const std::vector<std::string>& texts) {
  std::string bytes = Int32(static_cast<int32_t>(texts.size()));
  for (const std::string& t : texts) bytes += Int32(static_cast<int32_t>(t.size())) + t;
  return bytes;
}

// Wine's own clipboard thread may hold the clipboard for a moment.
static bool OpenClipboardPatiently() {
  return WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
}

static void PutFormat(UINT format, const std::string& bytes, bool terminate) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size() + (terminate ? 1 : 0) + 1);
  memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  SetClipboardData(format, block);
}

void CopyBytes(const std::string& bytes, UINT format) {
  if (!OpenClipboardPatiently()) return;
  EmptyClipboard();
  PutFormat(format, bytes, true);
  CloseClipboard();
}

void CopyText(const std::string& text) { CopyBytes(text, CF_TEXT); }

void CopyPrivateText(const std::string& text, const char* markFormat, const std::string& markData) {
  if (!OpenClipboardPatiently()) return;
  EmptyClipboard();
  PutFormat(RegisterClipboardFormatA(markFormat), markData, false);
  PutFormat(CF_TEXT, text, true);
  CloseClipboard();
}

ClipboardHold::ClipboardHold() : held(OpenClipboardPatiently()) {}
ClipboardHold::~ClipboardHold() {
  if (held) CloseClipboard();
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboardPatiently()) return text;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      text = p;
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return text;
}

void PressKey(BYTE key, bool alt, bool ctrl, bool shift) {
  if (alt) keybd_event(VK_MENU, 0, 0, 0);
  if (ctrl) keybd_event(VK_CONTROL, 0, 0, 0);
  if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(key, 0, 0, 0);
  keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
  if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  if (ctrl) keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  if (alt) keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
}

struct WindowSearch {
  DWORD pid;
  const char* className;
  const char* title;
  HWND found;
};

static BOOL CALLBACK MatchWindow(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[64] = {}, title[256] = {};
  GetClassNameA(w, cls, sizeof cls);
  GetWindowTextA(w, title, sizeof title);
  if ((s->pid == 0 || pid == s->pid) && (!s->className || strcmp(cls, s->className) == 0) &&
      (!s->title || strcmp(title, s->title) == 0)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND FindTopWindow(DWORD pid, const char* className, const char* title) {
  WindowSearch s = {pid, className, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

HWND WaitForDialog(DWORD pid, const char* caption, int ms) {
  HWND found = nullptr;
  WaitUntil([&] {
    found = FindTopWindow(pid, "#32770", caption);
    return found && IsWindowVisible(found);
  }, ms);
  return found;
}

void ClickButton(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

HWND WaitForPopupMenu(int ms) {
  HWND menu = nullptr;
  WaitUntil([&] {
    menu = FindTopWindow(0, "#32768");
    return menu && IsWindowVisible(menu);
  }, ms);
  return menu;
}

void ClickWindow(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  // Near the lower right corner: clear of the list window at the screen's corner.
  LONG x = (r.right - 30) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  LONG y = (r.bottom - 30) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  INPUT input[3] = {};
  DWORD flags[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    input[i].type = INPUT_MOUSE;
    input[i].mi.dx = x;
    input[i].mi.dy = y;
    input[i].mi.dwFlags = flags[i] | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(3, input, sizeof(INPUT));
}

void SaveScreenshot(HWND window, const std::string& name) {
  // Have the window and its children painted before the screen is read.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  DWORD_PTR ignored;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
  RECT r;
  GetWindowRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  DWORD stride = ((w * 3 + 3) & ~3), size = stride * h;
  BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + size), 0, 0,
                           sizeof file + sizeof info.bmiHeader};
  std::string dir = ProgramDir() + "\\screenshots\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  std::ofstream out(dir + name + ".bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), size);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// Wine now and then fails to start a process with an internal error; a second try works.
static bool StartProcess(const std::string& exe, std::string commandLine, const char* directory,
                         PROCESS_INFORMATION* process) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, &si,
                       process))
      return true;
    if (GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  fprintf(stderr, "cannot start %s: error %lu\n", exe.c_str(), GetLastError());
  return false;
}

static LRESULT CALLBACK ChainViewerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DRAWCLIPBOARD) {
    ++ChainViewer::notifications;
    if (ChainViewer::next) SendMessageA(ChainViewer::next, m, wp, lp);
    return 0;
  }
  if (m == WM_CHANGECBCHAIN) {
    if (reinterpret_cast<HWND>(wp) == ChainViewer::next)
      ChainViewer::next = reinterpret_cast<HWND>(lp);
    else if (ChainViewer::next)
      SendMessageA(ChainViewer::next, m, wp, lp);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

ChainViewer::ChainViewer() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ChainViewerProc;
  wc.lpszClassName = "PelmorTestViewer";
  RegisterClassA(&wc);
  window = CreateWindowA("PelmorTestViewer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  next = SetClipboardViewer(window);  // the joining notification arrives before this returns
  notifications = 0;
}

ChainViewer::~ChainViewer() {
  ChangeClipboardChain(window, next);
  DestroyWindow(window);
}

bool ChainViewer::CopyThrough(const std::string& text) {
  int seen = notifications;
  CopyText(text);
  return WaitUntil([&] { return notifications > seen; });
}

Pelmor::~Pelmor() { Kill(); }

bool Pelmor::Launch() {
  std::string exe = ProgramDir() + "\\Pelmor.exe";
  return StartProcess(exe, "\"" + exe + "\"", dir.c_str(), &process);
}

bool Pelmor::Start() {
  if (!Launch()) return false;
  bool ended = false;
  WaitUntil([&] {
    main = FindTopWindow(process.dwProcessId, "Pelmor");
    ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    // Idle once start-up is through: the lists are filled and the menu loaded.
    return ended || (main && GetDlgItem(main, kFavorites) && WaitForInputIdle(process.hProcess, 0) == 0);
  }, 10000);
  return !ended && main != nullptr;
}

void Pelmor::Command(int id) const { PostMessageA(main, WM_COMMAND, id, 0); }

void Pelmor::CommandNow(int id) const {
  DWORD_PTR ignored;
  SendMessageTimeoutA(main, WM_COMMAND, id, 0, SMTO_BLOCK, 5000, &ignored);
}

bool Pelmor::Flush() const {
  // Posted messages of one thread are handled in order: once a marker posted now has been
  // handled, so has everything posted before it (hot keys included). The marker is the
  // width of the history list's hidden third column, put back to 0 afterwards.
  HWND list = Child(kHistory);
  bool handled = true;
  for (int width : {1, 0}) {
    PostMessageA(list, LVM_SETCOLUMNWIDTH, 2, width);
    handled = WaitUntil([&] { return SendMessageA(list, LVM_GETCOLUMNWIDTH, 2, 0) == width; }) && handled;
  }
  return handled;
}

void Pelmor::Tray(LPARAM mouse, WPARAM id) const { PostMessageA(main, WM_USER + 1, id, mouse); }

bool Pelmor::ShowList() const {
  Tray(WM_LBUTTONDOWN);
  return WaitUntil([&] { return Shown() && GetForegroundWindow() == main; }) && Settled();
}

bool Pelmor::Gone() const {
  // Hidden and no longer active; the deactivation (where the paste-back runs) may arrive
  // after the hiding, so wait for it, then for everything queued before it.
  bool inactive = WaitUntil([&] {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return !Shown() && GetGUIThreadInfo(process.dwThreadId, &info) && info.hwndActive == nullptr;
  });
  return Flush() && inactive;
}

bool Pelmor::Settled() const {
  // Active with the keyboard focus in a list, and every message before this one handled.
  bool focused = WaitUntil([&] {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(process.dwThreadId, &info) && info.hwndActive == main && info.hwndFocus &&
           GetParent(info.hwndFocus) == main;
  });
  Idle();
  return focused;
}

std::string Pelmor::Answer(const char* caption, int button, int ms) const {
  HWND box = WaitForDialog(process.dwProcessId, caption, ms);
  if (!box) return kNoDialog;
  std::string text = MessageBoxText(box);
  ClickButton(box, button);
  WaitUntil([&] { return !IsWindow(box); });
  return text;
}

void Pelmor::Idle() const {
  // A sent message is handled only when Pelmor asks for messages again.
  DWORD_PTR ignored;
  SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
}

// Reads list rows across processes: the item record and its text buffer live in Pelmor.
std::vector<std::string> Pelmor::Rows(int listId) const {
  std::vector<std::string> rows;
  HWND list = Child(listId);
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  const size_t textSize = 8192;
  char* remote = static_cast<char*>(VirtualAllocEx(process.hProcess, nullptr, sizeof(LVITEMA) + textSize,
                                                   MEM_COMMIT, PAGE_READWRITE));
  for (int row = 0; row < count; ++row) {
    LVITEMA item = {};
    item.pszText = remote + sizeof(LVITEMA);
    item.cchTextMax = textSize;
    WriteProcessMemory(process.hProcess, remote, &item, sizeof item, nullptr);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
    std::string text(textSize, '\0');
    ReadProcessMemory(process.hProcess, remote + sizeof(LVITEMA), text.data(), textSize, nullptr);
    rows.push_back(text.c_str());
  }
  VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
  return rows;
}

std::vector<int> Pelmor::Selected(int listId) const {
  std::vector<int> rows;
  HWND list = Child(listId);
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row)
    if (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) rows.push_back(row);
  return rows;
}

void Pelmor::Select(int listId, const std::vector<int>& rows) const {
  HWND list = Child(listId);
  LVITEMA* remote = static_cast<LVITEMA*>(
      VirtualAllocEx(process.hProcess, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE));
  auto setState = [&](int row, UINT state) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = state;
    WriteProcessMemory(process.hProcess, remote, &item, sizeof item, nullptr);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
  };
  setState(-1, 0);
  for (int row : rows) setState(row, LVIS_SELECTED | (row == rows.back() ? LVIS_FOCUSED : 0));
  VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
}

std::vector<std::string> Pelmor::PopupMenuItems() const {
  std::vector<std::string> items;
  std::string file = File("menu-items.txt");
  DeleteFileA(file.c_str());
  HMODULE probe = LoadLibraryA((ProgramDir() + "\\menu_probe.dll").c_str());
  auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "ProbeMenu")));
  HHOOK hook = proc ? SetWindowsHookExA(WH_GETMESSAGE, proc, probe, process.dwThreadId) : nullptr;
  if (hook) {
    // Any message Pelmor's menu loop takes runs the probe.
    WaitUntil([&] {
      PostThreadMessageA(process.dwThreadId, WM_NULL, 0, 0);
      return FileThere(file);
    });
    UnhookWindowsHookEx(hook);
  }
  FreeLibrary(probe);
  std::istringstream lines(ReadFileBytes(file));
  for (std::string line; std::getline(lines, line);) items.push_back(line);
  return items;
}

int Pelmor::CurrentTab() const { return static_cast<int>(SendMessageA(Child(5999), TCM_GETCURSEL, 0, 0)); }

DWORD Pelmor::WaitExit(int ms) const {
  if (!process.hProcess) return static_cast<DWORD>(-1);  // never started: no exit code to give
  WaitUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, ms);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

DWORD Pelmor::Quit() {
  Command(40003);
  DWORD code = WaitExit();
  Kill();
  return code;
}

void Pelmor::Kill() {
  if (!process.hProcess) return;
  if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 5000);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  process = {};
}

Target::~Target() { Close(); }

bool Target::Start(const std::string& title, Kind kind) {
  std::string exe = ProgramDir() + "\\target_window.exe";
  const char* flag = kind == kTopmost ? "/topmost " : kind == kFullScreen ? "/fullscreen " : "";
  std::string commandLine = "\"" + exe + "\" " + flag + title;
  if (!StartProcess(exe, commandLine, nullptr, &process)) return false;
  return WaitUntil([&] {
    window = FindTopWindow(process.dwProcessId, "PelmorTestTarget");
    return window && IsWindowVisible(window);
  });
}

std::string Target::Text() const { return WindowText(GetDlgItem(window, 100)); }

int Target::Pastes() const { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(window, "PelmorTestPastes"))); }

void Target::Focus() const {
  // Unmanaged windows under Wine are not raised by activation alone.
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(window);
  WaitUntil([&] { return GetForegroundWindow() == window; });
}

void Target::Close() {
  if (!process.hProcess) return;
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  process = {};
}
