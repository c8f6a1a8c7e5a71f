// Drives the real Pelmor.exe from outside, the way a user would, and reads what it shows
// and writes. Every wait polls for a state with a timeout; nothing waits a fixed time.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls the condition, pumping this thread's messages, until it holds or ms pass.
bool WaitUntil(const std::function<bool()>& condition, int ms = 5000);

// Files
inline const std::string kDataRoot = "C:\\pelmor-e2e\\";
std::string MakeDataDir(const std::string& name);  // fresh, under kDataRoot, ends in a backslash
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileThere(const std::string& path);
std::string Records(const std::vector<std::string>& texts);  // record file bytes
std::string ProgramDir();                                    // where the suite and Pelmor.exe lie

// Clipboard
void CopyText(const std::string& text);                          // as a program's copy does
void CopyBytes(const std::string& bytes, UINT format = CF_TEXT);  // one format, raw bytes
void CopyPrivateText(const std::string& text, const char* markFormat, const std::string& markData);
std::string ClipboardText();
// Keeps the clipboard open, as a busy program would, for the object's life.
struct ClipboardHold {
  ClipboardHold();
  ~ClipboardHold();
  bool held;
};

// Keyboard: presses and releases a key with the given modifiers held.
void PressKey(BYTE key, bool alt = false, bool ctrl = false, bool shift = false);

// Windows of other processes
HWND FindTopWindow(DWORD pid, const char* className, const char* title = nullptr);
std::string WindowText(HWND window);
// A message box or dialog of the process with this caption, once it shows.
HWND WaitForDialog(DWORD pid, const char* caption, int ms = 5000);
void ClickButton(HWND dialog, int id);
std::string MessageBoxText(HWND box);
HWND WaitForPopupMenu(int ms = 5000);
void SaveScreenshot(HWND window, const std::string& name);
// A left click near the window's lower right corner, with the real mouse.
void ClickWindow(HWND window);

// A clipboard viewer of the test's own, joined before Pelmor starts, so that Pelmor passes
// every change on to it; counting them shows when Pelmor has handled a change.
struct ChainViewer {
  ChainViewer();
  ~ChainViewer();
  static inline int notifications = 0;
  static inline HWND next = nullptr;
  HWND window = nullptr;
  // Copies the text and returns once the change has come through Pelmor.
  bool CopyThrough(const std::string& text);
};

// What Pelmor::Answer gives when no such dialog came up.
inline const std::string kNoDialog = "(no dialog)";

// One running Pelmor.
struct Pelmor {
  explicit Pelmor(std::string dataDir) : dir(std::move(dataDir)) {}
  ~Pelmor();
  std::string dir;
  PROCESS_INFORMATION process = {};
  HWND main = nullptr;

  bool Launch();  // starts the process only
  bool Start();   // true once its main window and lists exist and it is idle
  std::string File(const std::string& name) const { return dir + name; }
  HWND Child(int id) const { return GetDlgItem(main, id); }
  void Command(int id) const;             // a tray menu command, posted
  void CommandNow(int id) const;          // the same, sent: handled when this returns
  bool Flush() const;                     // returns once Pelmor has handled what was posted to it
  void Tray(LPARAM mouse, WPARAM id = 5995) const;
  bool Shown() const { return IsWindowVisible(main) != FALSE; }
  bool ShowList() const;                  // tray left click, waits until shown and settled
  bool Settled() const;                   // the list window active, focused and idle
  bool Gone() const;                      // the list window hidden, deactivated and idle
  void Idle() const;                      // returns once Pelmor has handled what it was doing
  // Waits for Pelmor's message box with this caption, presses the button and waits until the
  // box is gone; its text, or kNoDialog.
  std::string Answer(const char* caption, int button, int ms = 5000) const;
  std::vector<std::string> Rows(int listId) const;
  std::vector<int> Selected(int listId) const;
  // Selects exactly these rows (the last one focused), as clicks with Ctrl would.
  void Select(int listId, const std::vector<int>& rows) const;
  int CurrentTab() const;
  // The items of Pelmor's open popup menu: one "id<TAB>state<TAB>text" string each.
  std::vector<std::string> PopupMenuItems() const;
  DWORD WaitExit(int ms = 10000) const;   // exit code, or STILL_ACTIVE
  DWORD Quit();                           // command 40003; the exit code
  void Kill();
};

// The stand-in for the program the user was typing in.
struct Target {
  ~Target();
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;
  enum Kind { kNormal, kTopmost, kFullScreen };
  bool Start(const std::string& title, Kind kind = kNormal);
  std::string Text() const;
  int Pastes() const;  // Ctrl+V presses its edit received
  void Focus() const;
  void Close();
};

constexpr int kHistory = 5998, kFavorites = 5997, kAA = 5996;
