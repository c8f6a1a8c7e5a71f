#include "harness.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

bool WaitUntil(const std::function<bool()>& condition, int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);  // the target window in this process gets its characters
      DispatchMessageW(&msg);
    }
    if (condition()) return true;
    if (static_cast<LONG>(GetTickCount() - end) > 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A hung program fails the test instead of hanging the run; messages sent back to this
  // thread meanwhile (to a clipboard viewer of the test, say) are answered.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

std::string ProgramDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  *strrchr(path, '\\') = '\0';
  return path;
}

std::string MakeDataDir(const std::string& name) {
  std::filesystem::path dir = std::filesystem::path(kDataRoot) / name;
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  std::filesystem::create_directories(dir, ignored);
  return kDataRoot + name + "\\";
}

// Wine's own clipboard thread may hold the clipboard for a moment.
static bool OpenClipboardPatiently() {
  return WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
}

static void PutFormat(UINT format, const std::string& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size() + 2);
  memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  SetClipboardData(format, block);
}

void CopyFormats(const std::vector<std::pair<UINT, std::string>>& formats) {
  if (!OpenClipboardPatiently()) return;
  EmptyClipboard();
  for (const auto& [format, bytes] : formats) PutFormat(format, bytes);
  CloseClipboard();
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboardPatiently()) return text;
  if (const char* locked = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)))) text = locked;
  GlobalUnlock(GetClipboardData(CF_TEXT));
  CloseClipboard();
  return text;
}

void CopyUnicode(const std::wstring& text) {
  CopyFormats({{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t))}});
}

std::string Utf8(const std::wstring& text) {
  std::string bytes(text.size() * 4, '\0');
  bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), text.size(), bytes.data(), bytes.size(), nullptr, nullptr));
  return bytes;
}

ClipboardHold::ClipboardHold() : held(OpenClipboardPatiently()) {}
ClipboardHold::~ClipboardHold() {
  if (held) CloseClipboard();
}

void PressKey(BYTE key, bool alt, bool ctrl) {
  BYTE modifier = alt ? VK_MENU : ctrl ? VK_CONTROL : 0;
  if (modifier) keybd_event(modifier, 0, 0, 0);
  keybd_event(key, 0, 0, 0);
  keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
  if (modifier) keybd_event(modifier, 0, KEYEVENTF_KEYUP, 0);
}

void MouseAt(POINT at, DWORD buttons) {
  INPUT input = {INPUT_MOUSE,
                 {.mi = {at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1),
                         at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1), 0,
                         buttons | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0}}};
  SendInput(1, &input, sizeof input);
}

std::string ScreenPixels(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return {};
  HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  std::string pixels(static_cast<const char*>(bits), ((w * 3 + 3) & ~3) * h);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

static const char kDesktopKey[] = "Control Panel\\Desktop";

ScreenDpi::ScreenDpi(DWORD dpi) {
  DWORD size = sizeof before;
  RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &before, &size);
  RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

ScreenDpi::~ScreenDpi() {
  if (before)
    RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &before, sizeof before);
  else
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels");
}

void ClickWindow(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  // Near the lower right corner: clear of the list window at the screen's corner.
  for (DWORD flags : {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP})
    MouseAt({r.right - 30, r.bottom - 30}, flags);
}

bool TrayShowsIconOfSize(int size) {
  HMODULE exe = LoadLibraryExA((ProgramDir() + "\\Pelmor.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  data.uFlags = NIF_ICON;
  data.hIcon = static_cast<HICON>(LoadImageA(exe, MAKEINTRESOURCEA(102), IMAGE_ICON, size, size, 0));
  Shell_NotifyIconA(NIM_ADD, &data);
  bool shown = WaitUntil([] {
    std::map<LONG, std::string> pictures;  // by left edge
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    for (HWND icon = nullptr; tray && (icon = FindWindowExA(tray, icon, nullptr, nullptr));) {
      RECT r;
      GetWindowRect(icon, &r);
      pictures[r.left] = ScreenPixels(icon);
    }
    const std::string mine = pictures.empty() ? "" : pictures.rbegin()->second;
    // Drawn once the outline's black is there; icons not drawn yet look all alike.
    return mine.find('\0') != std::string::npos &&
           std::count_if(pictures.begin(), pictures.end(), [&](const auto& p) { return p.second == mine; }) > 1;
  });
  Shell_NotifyIconA(NIM_DELETE, &data);
  DestroyWindow(data.hWnd);
  DestroyIcon(data.hIcon);
  FreeLibrary(exe);
  return shown;
}

// A top-level window of the process (any process for 0) by class and title (any for null).
static HWND FindTopWindow(DWORD pid, const char* className, const char* title = nullptr) {
  DWORD owner = 0;
  for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, className, title));)
    if (GetWindowThreadProcessId(w, &owner) && (pid == 0 || owner == pid)) return w;
  return nullptr;
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  Ask(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

HWND WaitForPopupMenu() {
  HWND menu = nullptr;
  WaitUntil([&] { return (menu = FindTopWindow(0, "#32768")) && IsWindowVisible(menu); });
  return menu;
}

bool HotKeyFree(UINT modifiers, UINT key) {
  return RegisterHotKey(nullptr, 77, modifiers, key) && UnregisterHotKey(nullptr, 77);
}

void EndProcess(PROCESS_INFORMATION* process) {
  if (!process->hProcess) return;
  TerminateProcess(process->hProcess, 9);  // nothing happens to one that has ended
  WaitForSingleObject(process->hProcess, 5000);
  CloseHandle(process->hThread);
  CloseHandle(process->hProcess);
  *process = {};
}

static LRESULT CALLBACK ChainViewerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto* viewer = reinterpret_cast<ChainViewer*>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (!viewer || (m != WM_DRAWCLIPBOARD && m != WM_CHANGECBCHAIN)) return DefWindowProcA(w, m, wp, lp);
  if (m == WM_DRAWCLIPBOARD && (++viewer->notifications, viewer->withhold)) return 0;
  if (m == WM_CHANGECBCHAIN && reinterpret_cast<HWND>(wp) == viewer->next)
    viewer->next = reinterpret_cast<HWND>(lp);
  else if (viewer->next)
    SendMessageA(viewer->next, m, wp, lp);
  return 0;
}

ChainViewer::ChainViewer() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ChainViewerProc;
  wc.lpszClassName = "PelmorTestViewer";
  RegisterClassA(&wc);
  window = CreateWindowA("PelmorTestViewer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  next = SetClipboardViewer(window);
  notifications = 0;  // the joining notification came before SetClipboardViewer returned
}

void ChainViewer::Leave() {
  if (window) ChangeClipboardChain(window, next);
  DestroyWindow(window);
  window = nullptr;
}

bool ChainViewer::CopyThrough(const std::vector<std::pair<UINT, std::string>>& formats) {
  int seen = notifications;
  CopyFormats(formats);
  return WaitUntil([&] { return notifications > seen; });
}

bool HeadsTheChain(const PROCESS_INFORMATION& process) {
  DWORD pid = 0;
  return GetWindowThreadProcessId(GetClipboardViewer(), &pid) && pid == process.dwProcessId;
}

bool ViewerProcess::Start(const std::string& log) {
  std::string exe = ProgramDir() + "\\clipboard_reader.exe", line = "\"" + exe + "\" \"" + log + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  return CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process) &&
         WaitUntil([&] { return HeadsTheChain(process); });
}

bool ViewerProcess::Close() {
  PostMessageA(FindTopWindow(process.dwProcessId, "PelmorClipboardReader"), WM_CLOSE, 0, 0);
  bool ended = WaitUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
  EndProcess(&process);
  return ended;
}

// Wine now and then fails to start a process with an internal error; a second try works.
bool Pelmor::Launch() {
  std::string exe = ProgramDir() + "\\Pelmor.exe", commandLine = "\"" + exe + "\"";
  for (int attempt = 0; attempt < 5; ++attempt) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                       &process))
      return true;
    if (GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  fprintf(stderr, "cannot start Pelmor in %s: error %lu\n", dir.c_str(), GetLastError());
  return false;
}

bool Pelmor::Start() {
  EndProcess(&process);
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

std::string Pelmor::Ini(const char* section, std::initializer_list<const char*> keys) const {
  std::string values;
  for (const char* key : keys) {
    char value[300] = {};
    GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, File("Pelmor.ini").c_str());
    values.append(values.empty() ? "" : " ").append(value);
  }
  return values;
}

bool Pelmor::Flush() const {
  // Posted messages of one thread are handled in order: once a marker posted now has been
  // handled, so has everything posted before it (hot keys included). The marker is the
  // width of the history list's hidden third column, put back to 0 afterwards.
  HWND list = Child(kHistory);
  auto mark = [&](int width) {
    PostMessageA(list, LVM_SETCOLUMNWIDTH, 2, width);
    return WaitUntil([&] { return Ask(list, LVM_GETCOLUMNWIDTH, 2) == width; });
  };
  return mark(1) & mark(0);  // both, also when the first fails
}

bool Pelmor::ShowList() const {
  Tray(WM_LBUTTONDOWN);
  bool shown = WaitUntil([&] { return Shown() && GetForegroundWindow() == main; });
  // The mouse over the list, as the user's would be: with it over no window, Wine gives
  // the focus to its tray window when a message box of Pelmor's closes.
  RECT r;
  GetWindowRect(main, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return shown && Settled();
}

static GUITHREADINFO ThreadInfo(const Pelmor& p) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(p.process.dwThreadId, &info);
  return info;
}

HWND Pelmor::Focus() const { return ThreadInfo(*this).hwndFocus; }

bool DragByCaption(const Pelmor& p, int dx, int dy, int steps, bool cancel) {
  RECT r;
  GetWindowRect(p.main, &r);
  // Right of the middle: Wine's tray window lies at the screen's top left corner.
  POINT press = {r.right - 60, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYSMCAPTION) / 2};
  auto moving = [&] { return (ThreadInfo(p).flags & GUI_INMOVESIZE) != 0; };
  MouseAt(press, MOUSEEVENTF_LEFTDOWN);
  // A step taken before the move has begun would not reach it.
  bool followed = WaitUntil(moving);
  POINT cursor = press;
  for (int i = 1; i <= steps && followed; ++i) {
    MouseAt({press.x + dx * i / steps, press.y + dy * i / steps});
    // The window follows the cursor, wherever the step has put it.
    followed = WaitUntil([&] {
      RECT now;
      return GetCursorPos(&cursor) && GetWindowRect(p.main, &now) && cursor.x != press.x &&
             now.left - r.left == cursor.x - press.x && now.top - r.top == cursor.y - press.y;
    });
  }
  if (cancel) PressKey(VK_ESCAPE);  // the window goes back where the drag began
  MouseAt(cursor, MOUSEEVENTF_LEFTUP);
  return WaitUntil([&] { return !moving(); }) && p.Flush() && followed;
}

bool Pelmor::Settled() const {
  // Flush, not a sent message: Pelmor answers those also while it drains the keys queued
  // behind the one it handles, and keys pressed then would be drained too.
  return WaitUntil([&] {
    GUITHREADINFO info = ThreadInfo(*this);
    return info.hwndActive == main && info.hwndFocus && GetParent(info.hwndFocus) == main;
  }) && Flush();
}

bool Pelmor::Gone() const {
  // The deactivation, where the paste-back runs, may come after the hiding.
  return WaitUntil([&] { return !Shown() && !ThreadInfo(*this).hwndActive; }) && Flush();
}

HWND Pelmor::Dialog(const char* caption, int ms) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopWindow(process.dwProcessId, "#32770", caption)) && IsWindowVisible(found); },
            ms);
  return found;
}

std::string Pelmor::Answer(const char* caption, int button, int ms) const {
  HWND box = Dialog(caption, ms);
  if (!box) return "(no dialog)";
  std::string text = WindowText(GetDlgItem(box, 0xFFFF));
  PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
  WaitUntil([&] { return !IsWindow(box); });
  return text;
}

// Memory in Pelmor's process for the item records that list messages carry.
struct RemoteBuffer {
  RemoteBuffer(HANDLE process, size_t size) : process(process) { at = static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)); }
  ~RemoteBuffer() { VirtualFreeEx(process, at, 0, MEM_RELEASE); }
  void Put(const void* bytes, size_t size) { WriteProcessMemory(process, at, bytes, size, nullptr); }
  HANDLE process;
  char* at;
};

// Each row's text as LVM_GETITEMTEXTA or W answer it to another program with room for
// textSize characters; *answers gets what the messages return.
template <typename Item, typename Char>
static std::vector<std::basic_string<Char>> ReadRows(const Pelmor& p, int listId, int column, UINT message,
                                                     int textSize = 8192, std::vector<int>* answers = nullptr) {
  std::vector<std::basic_string<Char>> rows;
  HWND list = p.Child(listId);
  RemoteBuffer remote(p.process.hProcess, sizeof(Item) + textSize * sizeof(Char));
  int count = static_cast<int>(Ask(list, LVM_GETITEMCOUNT));
  for (int row = 0; row < count; ++row) {
    Item item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<Char*>(remote.at + sizeof(Item));
    item.cchTextMax = textSize;
    remote.Put(&item, sizeof item);
    LRESULT answer = Ask(list, message, row, reinterpret_cast<LPARAM>(remote.at));
    if (answers) answers->push_back(static_cast<int>(answer));
    std::basic_string<Char> text(textSize + 1, Char());  // a zero after the room given
    ReadProcessMemory(p.process.hProcess, item.pszText, text.data(), textSize * sizeof(Char), nullptr);
    rows.push_back(text.c_str());
  }
  return rows;
}

std::vector<std::string> Pelmor::Rows(int listId, int column, int room, std::vector<int>* answers) const {
  return ReadRows<LVITEMA, char>(*this, listId, column, LVM_GETITEMTEXTA, room, answers);
}

Rows Columns(const Pelmor& p, int list) {
  Rows text = p.Rows(list, 0), length = p.Rows(list, 1), position = p.Rows(list, 2), rows;
  for (size_t i = 0; i < text.size(); ++i) rows.push_back(text[i] + " " + length.at(i) + " " + position.at(i));
  return rows;
}

Rows ExpectedColumns(const Rows& fileOrder) {
  Rows rows;
  size_t position = 4;
  for (const std::string& t : fileOrder) {
    rows.insert(rows.begin(), t + " " + std::to_string(t.size()) + " " + std::to_string(position));
    position += 4 + t.size();
  }
  return rows;
}

std::vector<std::wstring> Pelmor::RowsW(int listId) const {
  return ReadRows<LVITEMW, wchar_t>(*this, listId, 0, LVM_GETITEMTEXTW);
}

std::vector<int> Pelmor::Selected(int listId) const {
  std::vector<int> rows;
  for (int row = -1; (row = static_cast<int>(Ask(Child(listId), LVM_GETNEXTITEM, row, LVNI_SELECTED))) != -1;)
    rows.push_back(row);
  return rows;
}

void Pelmor::Select(int listId, const std::vector<int>& rows) const {
  RemoteBuffer remote(process.hProcess, sizeof(LVITEMA));
  auto setState = [&](int row, UINT state) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = state;
    remote.Put(&item, sizeof item);
    Ask(Child(listId), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.at));
  };
  setState(-1, 0);
  for (int row : rows) setState(row, LVIS_SELECTED | (row == rows.back() ? LVIS_FOCUSED : 0));
}

std::vector<LONG> Pelmor::Placed(int id) const {
  RECT r = {};
  GetWindowRect(Child(id), &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

LRESULT Pelmor::AskWithRect(HWND window, UINT message, WPARAM wParam, RECT* rect) const {
  RemoteBuffer remote(process.hProcess, sizeof *rect);
  remote.Put(rect, sizeof *rect);
  LRESULT result = Ask(window, message, wParam, reinterpret_cast<LPARAM>(remote.at));
  ReadProcessMemory(process.hProcess, remote.at, rect, sizeof *rect, nullptr);
  return result;
}

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
  EndProcess(&process);
  return code;
}

HWND OpenSheet(const Pelmor& p) {
  p.Command(40002);
  // Open once it has taken the foreground: its activation, coming late, would take it back from
  // a window the test brings forward meanwhile.
  HWND sheet = p.Dialog("環境設定");
  return sheet && WaitUntil([&] { return GetForegroundWindow() == sheet; }) ? sheet : nullptr;
}

int CurrentPage(HWND sheet) {
  return static_cast<int>(Ask(sheet, PSM_HWNDTOINDEX, Ask(sheet, PSM_GETCURRENTPAGEHWND)));
}

HWND GoToPage(HWND sheet, int page) {
  PostMessageA(sheet, PSM_SETCURSEL, page, 0);
  return WaitUntil([&] { return CurrentPage(sheet) == page; })
             ? reinterpret_cast<HWND>(Ask(sheet, PSM_GETCURRENTPAGEHWND))
             : nullptr;
}

bool CloseSheet(const Pelmor& p, HWND sheet, int button) {
  PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);  // a sent OK can leave the sheet stuck
  return WaitUntil([&] { return !IsWindow(sheet); }) && p.Flush();
}

// Wine's tray keeps one tool tip window per icon, in its own process: the tool's record and
// the text are read through memory there.
std::string TrayTips() {
  std::string tips;
  for (HWND tip = nullptr; (tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr));) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tip, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    {
      RemoteBuffer remote(process, sizeof(TTTOOLINFOW) + 256 * sizeof(wchar_t));
      TTTOOLINFOW tool = {};
      tool.cbSize = sizeof tool;
      remote.Put(&tool, sizeof tool);
      if (Ask(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote.at))) {
        ReadProcessMemory(process, remote.at, &tool, sizeof tool, nullptr);
        tool.lpszText = reinterpret_cast<wchar_t*>(remote.at + sizeof tool);
        remote.Put(&tool, sizeof tool);
        Ask(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(remote.at));
        wchar_t text[257] = {};
        char bytes[600] = {};
        ReadProcessMemory(process, tool.lpszText, text, 256 * sizeof(wchar_t), nullptr);
        WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
        tips += bytes + std::string("|");
      }
    }  // the memory in the shell's process is freed before its handle goes
    CloseHandle(process);
  }
  return tips;
}

// The target's edit counts the Ctrl+V presses it receives.
static LRESULT CALLBACK TargetEditProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto* target = reinterpret_cast<Target*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (m == WM_CHAR && wp == 0x16) ++target->pastes;
  return CallWindowProcW(target->editProc, w, m, wp, lp);
}

static LRESULT CALLBACK TargetProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SETFOCUS) SetFocus(GetDlgItem(w, 100));  // like any editor: the focus goes into the edit
  return m == WM_SETFOCUS ? 0 : DefWindowProcW(w, m, wp, lp);
}

bool Target::Start(const std::wstring& title, Kind kind) {
  Close();
  // Under Wine a key released while another program had the focus (the Alt of a hot key
  // whose menu took the focus) stays down in this thread's keyboard state, and the Ctrl+V
  // of a paste would then reach the edit as Ctrl+Alt+V: start with every key up.
  BYTE keys[256] = {};
  SetKeyboardState(keys);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = TargetProc;
  wc.lpszClassName = L"PelmorTestTarget";
  RegisterClassW(&wc);  // fails harmlessly once registered
  // A window kept on top that never takes the focus (a palette), one over the whole screen
  // (a game), or a plain one.
  RECT r = {kind == kTopmost ? 600 : 100, 100, 400, 200};
  if (kind == kFullScreen) r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  window = CreateWindowExW(kind == kTopmost ? WS_EX_TOPMOST : 0, wc.lpszClassName, title.c_str(),
                           kind == kFullScreen ? WS_POPUP : WS_OVERLAPPEDWINDOW, r.left, r.top, r.right, r.bottom,
                           nullptr, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 400, 200,
                              window, reinterpret_cast<HMENU>(100), nullptr, nullptr);  // Unicode, as programs are today
  SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TargetEditProc)));
  ShowWindow(window, kind == kTopmost ? SW_SHOWNOACTIVATE : SW_SHOW);
  return edit && (kind == kTopmost || Focus()) && WaitUntil([&] { return IsWindowVisible(window); });
}

void Target::Close() {
  if (window) DestroyWindow(window);
  window = nullptr;
  pastes = 0;
}

std::wstring Target::TextW() const {
  wchar_t text[4096] = {};
  GetWindowTextW(GetDlgItem(window, 100), text, 4096);
  return text;
}

bool Target::Focus() const {
  // Unmanaged windows under Wine are not raised by activation alone.
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; });
}

void PelmorTest::Start(const std::string& ini, const std::vector<std::string>& history,
                       const std::vector<std::string>& favorites, const std::optional<std::string>& aaList) {
  EXPECT_TRUE(!p.process.hProcess || p.Quit() == 0);
  p.dir = MakeDataDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  WriteFileBytes(p.File("Pelmor.ini"), ini);
  if (aaList) WriteFileBytes(p.File("AAList.txt"), *aaList);
  if (!history.empty()) WriteFileBytes(p.File("Pelmor.DAT"), RecordBytes(history));
  if (!favorites.empty()) WriteFileBytes(p.File("Pelmor.SAV"), RecordBytes(favorites));
  ASSERT_TRUE(target.Start(L"Editor"));
  ASSERT_TRUE(p.Start());
}

void PelmorTest::ShowListOverTarget() {
  bool shown = p.Shown();
  ASSERT_TRUE(target.Focus());
  // The target's activation hides a list still shown. Shown again before that hide is
  // through, the list gets the hidden window's late focus-out from X, and Wine takes the
  // foreground from it and hides it once more.
  ASSERT_TRUE(!shown || p.Gone());
  ASSERT_TRUE(p.ShowList());
}

void PelmorTest::ShowTab(int tab) {
  // Each Tab is handled before the next is pressed: keys queued behind one are drained.
  while (p.CurrentTab() != tab) {
    int next = (p.CurrentTab() + 1) % (p.Child(kAA) ? 3 : 2);
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return p.CurrentTab() == next; }) && p.Settled());
  }
}

bool PelmorTest::Choose(int list, const std::vector<int>& rows) {
  int pastes = target.pastes;
  p.Select(list, rows);
  PressKey(VK_RETURN);
  return p.Gone() && (rows.empty() || WaitUntil([&] { return target.pastes > pastes; }));
}
