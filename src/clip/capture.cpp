#include "capture.h"

#include <commctrl.h>

#include <cstring>
#include <new>
#include <string>

#include "../app/app_state.h"
#include "../res/resource.h"
#include "../store/record_text.h"
#include "wide_text.h"

namespace {

// A DWORD flag format that the copying program set to 0. The clipboard is open.
bool FlagIsZero(UINT format) {
  if (!format || !IsClipboardFormatAvailable(format)) return false;
  HANDLE data = GetClipboardData(format);
  bool zero = false;
  if (data && GlobalSize(data) >= sizeof(DWORD)) {
    if (const DWORD* flag = static_cast<const DWORD*>(GlobalLock(data))) {
      zero = *flag == 0;
      GlobalUnlock(data);
    }
  }
  return zero;
}

// Password managers mark secrets with these formats; such text never goes into the history.
bool MarkedAsPrivate() {
  static const UINT kExclude = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
  static const UINT kViewerIgnore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
  static const UINT kHistoryFlag = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  return (kExclude && IsClipboardFormatAvailable(kExclude)) ||
         (kViewerIgnore && IsClipboardFormatAvailable(kViewerIgnore)) || FlagIsZero(kHistoryFlag);
}

// Windows' own mark for "keep this on this PC": the text may be recorded here, but it never
// goes to the other PCs.
bool MarkedForThisPcOnly() {
  static const UINT kUploadFlag = RegisterClipboardFormatA("CanUploadToCloudClipboard");
  return FlagIsZero(kUploadFlag);
}

// The record of the clipboard's text: its code page bytes, and when the Unicode text on the
// clipboard does not fit the code page, that text exactly as well. The clipboard is open.
std::string ClipboardRecord(const char* codePageText, size_t length) {
  std::string record(codePageText, length);
  HANDLE data = IsClipboardFormatAvailable(CF_UNICODETEXT) ? GetClipboardData(CF_UNICODETEXT) : nullptr;
  const wchar_t* locked = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (!locked) return record;
  std::wstring wide(locked, wcsnlen(locked, GlobalSize(data) / sizeof(wchar_t)));
  GlobalUnlock(data);
  bool lost = false;
  CodePageFromWide(wide, &lost);
  return lost ? RecordWithExactText(record, Utf8FromWide(wide)) : record;
}

// Reads the text of the open clipboard into *record: 0, or one of CaptureClipboard's failures.
int ReadClipboardRecord(std::string* record, bool* thisPcOnly) {
  if (!IsClipboardFormatAvailable(CF_TEXT)) return -101;
  if (MarkedAsPrivate()) return -105;
  *thisPcOnly = MarkedForThisPcOnly();
  HANDLE data = GetClipboardData(CF_TEXT);
  const char* locked = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  if (!locked) return data ? -103 : -102;
  int result = 0;
  try {
    // The text ends at its first zero byte, and never past the block.
    size_t limit = GlobalSize(data);
    *record = ClipboardRecord(locked, limit ? strnlen(locked, limit) : strlen(locked));
  } catch (const std::bad_alloc&) {
    result = -104;
  }
  GlobalUnlock(data);
  return result;
}

// True for the change our own paste-back made: one notified while it is being written, or
// the one its write produced. The first notification after the write ends the wait for it,
// whether it is about that change or a later one.
bool IsOwnPasteBack(DWORD sequence) {
  if (!AppState.SelfCopyPending) return false;
  if (AppState.SelfCopyWriting) return true;
  AppState.SelfCopyPending = 0;
  return sequence == AppState.SelfCopySequence;
}

// The clipboard holds a change that is neither recorded nor passed over yet.
bool ChangeWaiting() {
  DWORD sequence = GetClipboardSequenceNumber();
  return sequence != 0 && sequence != AppState.LastClipboardSequence;
}

// While another program holds the clipboard, it is tried again every 10 ms for two seconds,
// so the last change of a burst is recorded though its notifications found the clipboard busy.
constexpr UINT kRetryMs = 10;
constexpr int kRetries = 200;

}  // namespace

// A notification, or the timer's try again: records the change waiting on the clipboard unless
// it is our own paste-back or capture is paused. True while another program holds the clipboard.
static bool TakeWaitingChange(HWND mainWindow, ListChange* change) {
  *change = {};
  // Told of this change before, or told late of one that a later notification has taken.
  DWORD sequence = GetClipboardSequenceNumber();
  if (sequence != 0 && sequence == AppState.LastClipboardSequence) return false;
  bool passOver = IsOwnPasteBack(sequence) || AppState.CaptureEnabled != 1;
  if (!passOver && AppState.SkipFirstDraw == 1) {
    AppState.SkipFirstDraw = 0;  // what was on the clipboard when we joined the chain
    passOver = true;
  }
  if (passOver) {
    AppState.LastClipboardSequence = sequence;
    return false;
  }
  return CaptureClipboard(mainWindow, change) == -102 && ChangeWaiting();
}

void JoinClipboard(HWND mainWindow) {
  AddClipboardFormatListener(mainWindow);
  AppState.NextViewer = SetClipboardViewer(mainWindow);
}

void LeaveClipboard(HWND mainWindow) {
  ChangeClipboardChain(mainWindow, AppState.NextViewer);
  RemoveClipboardFormatListener(mainWindow);
}

int CaptureClipboard(HWND mainWindow, ListChange* change) {
  // One try: a notification never waits for the clipboard (every viewer behind waits for it);
  // TakeClipboardChange tries again from a timer.
  if (!OpenClipboard(mainWindow)) return -102;
  // Read while the clipboard is open, the number is that of the text read: a late notification
  // that reads a newer text has taken that change, and the change's own notification finds it so.
  DWORD sequence = GetClipboardSequenceNumber();
  if (sequence != 0 && sequence == AppState.LastClipboardSequence) {
    CloseClipboard();
    return -106;
  }
  std::string record;
  bool thisPcOnly = false;
  int result = ReadClipboardRecord(&record, &thisPcOnly);
  CloseClipboard();  // released before any file work
  if (result != -102) AppState.LastClipboardSequence = sequence;  // no data: tried again as a busy clipboard
  if (result != 0) return result;
  result = RecordText(&AppState.History, record, change);
  // A text recorded here goes to the other PCs too, unless marked for this PC only: it waits in
  // Pelmor.OUT, and is written to the sync folder once this notification is through.
  if (result == 0 && !thisPcOnly && QueueCapture(&AppState.Sync, record))
    PostMessageA(mainWindow, WM_APP_SYNC_FLUSH, 0, 0);
  return result;
}

void TakeClipboardChange(HWND mainWindow, ListChange* change) {
  AppState.CaptureRetries = 0;
  if (TakeWaitingChange(mainWindow, change)) SetTimer(mainWindow, ID_CAPTURE_TIMER, kRetryMs, nullptr);
}

void RetryClipboardChange(HWND mainWindow, ListChange* change) {
  if (!TakeWaitingChange(mainWindow, change) || ++AppState.CaptureRetries >= kRetries)
    KillTimer(mainWindow, ID_CAPTURE_TIMER);
}

void PassClipboardChange(WPARAM wParam, LPARAM lParam) {
  if (AppState.NextViewer) SendMessageA(AppState.NextViewer, WM_DRAWCLIPBOARD, wParam, lParam);
}

void OnChangeClipboardChain(HWND, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(wParam) == AppState.NextViewer)
    AppState.NextViewer = reinterpret_cast<HWND>(lParam);
  else if (AppState.NextViewer)
    SendMessageA(AppState.NextViewer, WM_CHANGECBCHAIN, wParam, lParam);
}
