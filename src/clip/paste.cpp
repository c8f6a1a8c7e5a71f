#include "paste.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "../app/app_state.h"
#include "../res/resource.h"
#include "../store/record_file.h"
#include "../ui/record_lists.h"
#include "../ui/filter_line.h"
#include "../ui/record_rows.h"
#include "clipboard.h"

void ReleasePendingPaste() {
  free(AppState.PendingPaste.buffer);
  AppState.PendingPaste = {nullptr, 0};
}

void SetPendingPaste(const std::vector<std::string>& texts, const char* separator) {
  ReleasePendingPaste();
  if (texts.empty()) return;
  size_t sepLength = strlen(separator);
  size_t total = 0;
  for (const std::string& t : texts) total += t.size();
  total += sepLength * (texts.size() - 1);
  if (total >= 0xFFFFFFFFu) return;
  char* buffer = static_cast<char*>(calloc(total + 1, 1));
  if (!buffer) return;  // nothing is pasted rather than part of the text
  char* out = buffer;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) out = static_cast<char*>(memcpy(out, separator, sepLength)) + sepLength;
    out = static_cast<char*>(memcpy(out, texts[i].data(), texts[i].size())) + texts[i].size();
  }
  AppState.PendingPaste = {buffer, static_cast<uint32_t>(total)};
}

void GatherSelectedRecords(HWND list, FileHandle file) {
  ReleasePendingPaste();
  std::vector<int64_t> positions = SelectedPositions(list);
  if (positions.empty() || file == kNoFile) return;
  try {
    std::vector<std::string> texts;
    // Rows whose position no longer leads to a record are skipped.
    if (ReadRecordsAt(file, positions, &texts)) SetPendingPaste(texts, "");
  } catch (const std::bad_alloc&) {
    ReleasePendingPaste();
  }
}

void PasteFromFavorites(HWND favoritesList) {
  FileHandle file = OpenFavoritesFile();
  if (file == kNoFile) {
    ReleasePendingPaste();
    return;
  }
  GatherSelectedRecords(favoritesList, file);
  CloseFileHandle(file);
}

int PutTextOnClipboard(HWND owner, const char* bytes, unsigned length, bool retryBriefly) {
  AppState.SelfCopyPending = 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(length) + 1);
  if (!block) {
    AppState.SelfCopyPending = 0;
    return -101;
  }
  char* locked = static_cast<char*>(GlobalLock(block));
  if (!locked) {
    GlobalFree(block);
    AppState.SelfCopyPending = 0;
    return -102;
  }
  memcpy(locked, bytes, length);
  GlobalUnlock(block);
  if (!(retryBriefly ? OpenClipboardBriefly(owner) : OpenClipboard(owner) != FALSE)) {
    GlobalFree(block);
    AppState.SelfCopyPending = 0;
    return -103;
  }
  EmptyClipboard();
  bool placed = SetClipboardData(CF_TEXT, block) != nullptr;  // the system owns the block from here on
  CloseClipboard();
  if (!placed) {
    GlobalFree(block);
    AppState.SelfCopyPending = 0;
    return -104;
  }
  return 0;
}

BOOL CALLBACK FindPasteTarget(HWND window, LPARAM) {
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  if (!IsWindowVisible(window) || title[0] == '\0') return TRUE;
  SetForegroundWindow(window);
  AppState.PasteWindow = window;
  return FALSE;
}

void SynthesizePaste() {
  keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event('V', 0, 0, 0);
  keybd_event('V', 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
}

void OnCloseMainWindow(HWND mainWindow) {
  ShowWindow(mainWindow, SW_HIDE);
  AppState.ListShown = 0;
  CloseFilterLine();  // the next showing starts on the whole list
}

// The window the user was typing in: the one remembered when the list hot key showed the
// list, when it is still there; otherwise the first visible titled window from the top.
static void BringPasteTargetForward() {
  HWND remembered = AppState.PasteTarget;
  AppState.PasteTarget = nullptr;
  AppState.PasteWindow = nullptr;
  AppState.PasteRetries = 0;
  if (remembered && IsWindow(remembered) && IsWindowVisible(remembered)) {
    SetForegroundWindow(remembered);
    AppState.PasteWindow = remembered;
    return;
  }
  EnumWindows(FindPasteTarget, 0);
}

// Puts the text waiting for the clipboard there; true once it is there (or there is none).
static bool PlaceWaitingText(HWND mainWindow, bool retryBriefly) {
  PendingPasteText& text = AppState.UnplacedPaste;
  if (!text.buffer) return true;
  if (PutTextOnClipboard(mainWindow, text.buffer, text.length, retryBriefly) != 0) return false;
  free(text.buffer);
  text = {nullptr, 0};
  return true;
}

void OnDeactivate(HWND mainWindow) {
  if (AppState.PromptOpen == 1) return;  // the delete confirmation keeps the list on screen
  OnCloseMainWindow(mainWindow);
  if (AppState.PendingPaste.length == 0) return;
  // Taken over before anything else: bringing the target forward deactivates this window
  // again, and that nested deactivation must not paste the same text a second time.
  free(AppState.UnplacedPaste.buffer);
  AppState.UnplacedPaste = AppState.PendingPaste;
  AppState.PendingPaste = {nullptr, 0};
  AppState.PasteTicks = 0;
  PlaceWaitingText(mainWindow, true);
  BringPasteTargetForward();
  SetTimer(mainWindow, ID_PASTE_TIMER, 100, nullptr);
}

void OnPasteTimer(HWND mainWindow) {
  // While another program holds the clipboard, every tick tries again for a while; Ctrl+V
  // without our text on the clipboard would paste whatever it held before.
  constexpr int kClipboardTicks = 20;
  if (!PlaceWaitingText(mainWindow, false)) {
    if (++AppState.PasteTicks < kClipboardTicks) return;
    free(AppState.UnplacedPaste.buffer);
    AppState.UnplacedPaste = {nullptr, 0};
    KillTimer(mainWindow, ID_PASTE_TIMER);
    AppState.PasteWindow = nullptr;
    return;
  }
  // Hiding the list lets the system activate some other window, possibly after the
  // target was brought forward; the keystrokes must not go there. Take the foreground
  // back for the target a few times before pasting.
  HWND target = AppState.PasteWindow;
  constexpr int kMaxRetries = 5;
  if (target && IsWindow(target) && IsWindowVisible(target) && GetForegroundWindow() != target &&
      AppState.PasteRetries < kMaxRetries) {
    ++AppState.PasteRetries;
    SetForegroundWindow(target);
    return;  // the timer ticks again in 100 ms
  }
  KillTimer(mainWindow, ID_PASTE_TIMER);
  AppState.PasteWindow = nullptr;
  SynthesizePaste();
}
