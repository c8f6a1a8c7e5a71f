#include "paste.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "../app/app_state.h"
#include "../res/resource.h"
#include "../store/record_text.h"
#include "clipboard.h"
#include "wide_text.h"

static void FreePasteText(PendingPasteText* text) {
  free(text->buffer);
  free(text->exact);
  *text = {};
}

void ReleasePendingPaste() { FreePasteText(&AppState.PendingPaste); }

// A zero-terminated copy from the general allocator, or null.
template <typename Char>
static Char* CopyOf(const std::basic_string<Char>& text) {
  Char* copy = static_cast<Char*>(calloc(text.size() + 1, sizeof(Char)));
  if (copy) memcpy(copy, text.data(), text.size() * sizeof(Char));
  return copy;
}

void SetPendingPaste(const std::string& codePage, const std::wstring* exact) {
  ReleasePendingPaste();
  if (codePage.empty() || codePage.size() >= 0xFFFFFFFFu) return;
  PendingPasteText text = {CopyOf(codePage), static_cast<uint32_t>(codePage.size()), nullptr, 0};
  if (exact) text.exact = CopyOf(*exact), text.exactLength = static_cast<uint32_t>(exact->size());
  if (!text.buffer || (exact && !text.exact)) {  // nothing is pasted rather than part of the text
    FreePasteText(&text);
    return;
  }
  AppState.PendingPaste = text;
}

void SetPendingRecords(const std::vector<std::string_view>& records) {
  ReleasePendingPaste();
  try {
    std::string codePage;
    bool anyExact = false;
    for (std::string_view record : records) {
      std::string_view exact;
      bool hasExact = ExactText(record, &exact);
      anyExact = anyExact || hasExact;
      codePage += hasExact ? CodePageText(record) : record;
    }
    // Where any of the texts lies outside the code page, the clipboard gets them all exactly.
    std::wstring exact;
    if (anyExact)
      for (std::string_view record : records) exact += WideOfRecord(record);
    SetPendingPaste(codePage, anyExact ? &exact : nullptr);
  } catch (const std::bad_alloc&) {
    ReleasePendingPaste();
  }
}

// A movable global block holding the bytes and a terminating zero, or null.
static HGLOBAL GlobalCopy(const void* bytes, size_t size, size_t zeroSize) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + zeroSize);
  void* locked = block ? GlobalLock(block) : nullptr;
  if (!locked) {
    if (block) GlobalFree(block);
    return nullptr;
  }
  memcpy(locked, bytes, size);
  GlobalUnlock(block);
  return block;
}

int PutTextOnClipboard(HWND owner, const char* bytes, unsigned length, bool retryBriefly, const wchar_t* exact,
                       unsigned exactLength) {
  AppState.SelfCopyPending = 1;
  AppState.SelfCopyWriting = 1;  // a notification that comes meanwhile is about our own change
  HGLOBAL block = GlobalCopy(bytes, length, 1);
  HGLOBAL wide = exact ? GlobalCopy(exact, exactLength * sizeof(wchar_t), sizeof(wchar_t)) : nullptr;
  int result = !block || (exact && !wide) ? -101 : 0;
  if (result == 0 && !(retryBriefly ? OpenClipboardBriefly(owner) : OpenClipboard(owner) != FALSE)) result = -103;
  if (result == 0) {
    EmptyClipboard();
    // The system owns each block it takes.
    if (wide && SetClipboardData(CF_UNICODETEXT, wide)) wide = nullptr;
    if (SetClipboardData(CF_TEXT, block)) block = nullptr;
    CloseClipboard();
    // Our change is known by its number: another program's copy made before our
    // notification arrives is a change of its own.
    AppState.SelfCopySequence = GetClipboardSequenceNumber();
    if (block || wide) result = -104;
  }
  if (block) GlobalFree(block);
  if (wide) GlobalFree(wide);
  AppState.SelfCopyWriting = 0;
  if (result != 0) AppState.SelfCopyPending = 0;
  return result;
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
  if (PutTextOnClipboard(mainWindow, text.buffer, text.length, retryBriefly, text.exact, text.exactLength) != 0)
    return false;
  FreePasteText(&text);
  return true;
}

void StartPasteBack(HWND mainWindow) {
  if (AppState.PendingPaste.length == 0) return;
  // Taken over before anything else: bringing the target forward deactivates this window
  // again, and that nested deactivation must not paste the same text a second time.
  FreePasteText(&AppState.UnplacedPaste);
  AppState.UnplacedPaste = AppState.PendingPaste;
  AppState.PendingPaste = {};
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
    FreePasteText(&AppState.UnplacedPaste);
    KillTimer(mainWindow, ID_PASTE_TIMER);
    AppState.PasteWindow = nullptr;
    return;
  }
  // Hiding the list lets the system activate some other window, possibly after the
  // target was brought forward; the keystrokes must not go there. Take the foreground
  // back for the target for up to two seconds (a busy machine can take that long) before pasting.
  HWND target = AppState.PasteWindow;
  constexpr int kMaxRetries = 20;
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
