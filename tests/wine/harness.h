// Drives the real Pelmor.exe from outside, the way a user would, and reads what it shows
// and writes. Every wait polls for a state with a timeout; nothing waits a fixed time.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../common/test_files.h"

using Rows = std::vector<std::string>;
using WideRows = std::vector<std::wstring>;  // named: gtest quotes its arguments in the code page
constexpr int kHistory = 5998, kFavorites = 5997, kAA = 5996;

// Polls the condition, pumping this thread's messages, until it holds or ms pass.
bool WaitUntil(const std::function<bool()>& condition, int ms = 5000);
// A message to a window of another process; 0 when it does not answer within 5 s.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// A fresh folder under a root of fixed length (so that paths made long on purpose are as
// long wherever the suite was built); ends in a backslash.
inline const std::string kDataRoot = "C:\\pelmor-e2e\\";
std::string MakeDataDir(const std::string& name);
std::string ProgramDir();  // where the suite, Pelmor.exe and the helper programs lie

// Clipboard, as other programs use it: each format with its bytes.
void CopyFormats(const std::vector<std::pair<UINT, std::string>>& formats);
inline void CopyText(const std::string& text) { CopyFormats({{CF_TEXT, text}}); }
std::string ClipboardText();
// What a Unicode program puts on the clipboard; the system adds the other text formats.
void CopyUnicode(const std::wstring& text);
std::string Utf8(const std::wstring& text);
// Keeps the clipboard open, as a busy program would, for the object's life.
struct ClipboardHold {
  ClipboardHold();
  ~ClipboardHold();
  void KeepFor(int ms) { WaitUntil([] { return false; }, ms); }  // this thread's messages handled meanwhile
  bool held;
};

// Presses and releases a key with Alt or Ctrl held.
void PressKey(BYTE key, bool alt = false, bool ctrl = false);
// The real mouse moved to a point of the screen, with these button flags (MOUSEEVENTF_...).
void MouseAt(POINT at, DWORD buttons = 0);
// The window as the screen shows it: 24-bit pixels, rows bottom-up, each padded to 4 bytes.
std::string ScreenPixels(HWND window);
// The screen's DPI for the programs started while it lives (Wine reads it when a program
// starts); the value before comes back at the end.
struct ScreenDpi {
  explicit ScreenDpi(DWORD dpi);
  ~ScreenDpi();
  DWORD before = 0;  // 0: there was none
};
// A left click near the window's lower right corner, with the real mouse.
void ClickWindow(HWND window);
// Whether the notification area shows an icon as it shows the program's icon 102 drawn at this
// size: that image is put beside it (Wine's tray adds icons on the right) and the pictures compared.
bool TrayShowsIconOfSize(int size);
std::string WindowText(HWND window);
HWND WaitForPopupMenu();
// True when no program holds this global hot key.
bool HotKeyFree(UINT modifiers, UINT key);
// Ends a process of the test's own, whatever state it is in.
void EndProcess(PROCESS_INFORMATION* process);

// A clipboard viewer of the test's own. Joined before Pelmor starts, Pelmor passes every
// change on to it: counting them shows when Pelmor has handled a change. Joined after, it
// hears of each change before Pelmor and may keep it from Pelmor.
struct ChainViewer {
  ChainViewer();
  ~ChainViewer() { Leave(); }
  void Leave();
  HWND window = nullptr;
  HWND next = nullptr;  // the viewer after this one
  int notifications = 0;
  bool withhold = false;  // the notifications go no further
  // Copies and returns once the change has come through to this viewer.
  bool CopyThrough(const std::vector<std::pair<UINT, std::string>>& formats);
};

// Another program in the clipboard viewer chain, in a process of its own (clipboard_reader.exe):
// started after Pelmor, it heads the chain, passes each change on and reads its text; closed, it
// writes the texts it read to the log, one a line.
struct ViewerProcess {
  ~ViewerProcess() { EndProcess(&process); }
  bool Start(const std::string& log);  // true once it heads the chain
  bool Close();                        // leaves the chain and ends in order
  PROCESS_INFORMATION process = {};
};
// True while the chain's head is a window of this process.
bool HeadsTheChain(const PROCESS_INFORMATION& process);

// One running Pelmor in its own data folder.
struct Pelmor {
  explicit Pelmor(std::string dataDir) : dir(std::move(dataDir)) {}
  ~Pelmor() { EndProcess(&process); }
  std::string dir;
  PROCESS_INFORMATION process = {};
  HWND main = nullptr;

  bool Launch();  // starts the process only; false at once when it cannot be started
  bool Start();   // true once its main window and lists exist and it is idle
  std::string File(const std::string& name) const { return dir + name; }
  // The values of the keys in Pelmor.ini, joined by spaces; "(none)" for a key not there.
  std::string Ini(const char* section, std::initializer_list<const char*> keys) const;
  std::string Ini(const char* section, const char* key) const { return Ini(section, {key}); }
  HWND Child(int id) const { return GetDlgItem(main, id); }
  void Command(int id) const { PostMessageA(main, WM_COMMAND, id, 0); }
  void Tray(LPARAM mouse, WPARAM id = 5995) const { PostMessageA(main, WM_USER + 1, id, mouse); }
  bool Flush() const;    // returns once Pelmor has handled what was posted to it
  bool Shown() const { return IsWindowVisible(main) != FALSE; }
  bool ShowList() const;  // tray left click, then Settled
  bool Settled() const;   // the list window active with the focus in it, and what was queued handled
  bool Gone() const;      // the list window hidden and deactivated, and idle
  HWND Focus() const;     // Pelmor's window with the keyboard focus
  // Waits for Pelmor's message box or dialog with this caption; null when none comes.
  HWND Dialog(const char* caption, int ms = 5000) const;
  // Presses the button of that message box and waits until it is gone; its text, or
  // "(no dialog)".
  std::string Answer(const char* caption, int button, int ms = 5000) const;
  // Read as other programs do, with room for so many bytes; *answers gets the lengths returned.
  std::vector<std::string> Rows(int listId, int column = 0, int room = 8192, std::vector<int>* answers = nullptr) const;
  std::vector<std::wstring> RowsW(int listId) const;               // the same, in UTF-16
  std::vector<int> Selected(int listId) const;
  std::vector<LONG> Placed(int id) const;  // the child's rectangle in the main window's client area
  // A message whose lParam points at a rectangle in Pelmor's memory: *rect goes in and comes back.
  LRESULT AskWithRect(HWND window, UINT message, WPARAM wParam, RECT* rect) const;
  void Select(int listId, const std::vector<int>& rows) const;  // exactly these, the last focused
  int CurrentTab() const { return static_cast<int>(Ask(Child(5999), 0x130B /* TCM_GETCURSEL */)); }
  DWORD WaitExit(int ms = 10000) const;  // exit code, or STILL_ACTIVE
  DWORD Quit();                          // command 40003; the exit code
};

// Each row of a list as "text length position", read column by column as other programs do; and
// the rows a history file of these texts must give, newest first.
Rows Columns(const Pelmor& p, int list);
Rows ExpectedColumns(const Rows& fileOrder);

// Drags the list window by its caption with the real mouse, a step at a time, as far as dx, dy
// in all, and lets go, or with cancel presses Esc first; true once the move is over.
bool DragByCaption(const Pelmor& p, int dx, int dy, int steps, bool cancel = false);

// The options sheet, opened by its command; a page of it shown (its dialog); OK or Cancel
// pressed, and the sheet gone with everything Pelmor does after it.
HWND OpenSheet(const Pelmor& p);
// Shows the page of the sheet; its dialog, or null when it does not come.
HWND GoToPage(HWND sheet, int page);
int CurrentPage(HWND sheet);
bool CloseSheet(const Pelmor& p, HWND sheet, int button);
// The tips of the icons in the notification area, as the shell's tool tips hold them, each
// followed by '|'.
std::string TrayTips();

// The stand-in for the program the user was typing in: a titled window with an edit, in
// this process (its messages are handled while the test waits).
struct Target {
  ~Target() { Close(); }
  HWND window = nullptr;
  WNDPROC editProc = nullptr;
  int pastes = 0;  // Ctrl+V presses its edit received, whether anything was pasted
  enum Kind { kNormal, kTopmost, kFullScreen };
  bool Start(const std::wstring& title, Kind kind = kNormal);
  void Close();
  std::string Text() const { return WindowText(GetDlgItem(window, 100)); }
  std::wstring TextW() const;
  bool Focus() const;  // true once it is the foreground window
};

// Pelmor with a data folder named after the test, and a target window in front of it. A
// Pelmor still running at the end must quit in order.
struct PelmorTest : ::testing::Test {
  Pelmor p{MakeDataDir(::testing::UnitTest::GetInstance()->current_test_info()->name())};
  Target target;
  void TearDown() override { EXPECT_TRUE(!p.process.hProcess || p.Quit() == 0); }
  // In a fresh data folder, writes the files (history as Pelmor.DAT, favorites as
  // Pelmor.SAV, none when empty; AAList.txt when given), starts the target and Pelmor.
  void Start(const std::string& ini, const std::vector<std::string>& history,
             const std::vector<std::string>& favorites = {}, const std::optional<std::string>& aaList = {});
  // The user works in the target and shows the list by the tray icon.
  void ShowListOverTarget();
  // Tab until the given list is shown and has the focus.
  void ShowTab(int tab);
  // Selects the rows and presses Enter; true once the window is gone and, when rows were
  // chosen, the target has received the Ctrl+V.
  bool Choose(int list, const std::vector<int>& rows);
};
