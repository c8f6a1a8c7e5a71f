#include "capture.h"

#include <commctrl.h>

#include <cstring>
#include <new>
#include <string>

#include "../app/app_state.h"
#include "../res/resource.h"
#include "../store/record_text.h"
#include "clipboard.h"
#include "wide_text.h"

namespace {

// Password managers mark secrets with these formats; such text never goes into the history.
bool MarkedAsPrivate() {
  static const UINT kExclude = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
  static const UINT kViewerIgnore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
  static const UINT kHistoryFlag = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  if ((kExclude && IsClipboardFormatAvailable(kExclude)) ||
      (kViewerIgnore && IsClipboardFormatAvailable(kViewerIgnore)))
    return true;
  if (!kHistoryFlag || !IsClipboardFormatAvailable(kHistoryFlag)) return false;
  HANDLE data = GetClipboardData(kHistoryFlag);  // the clipboard is open here
  bool excluded = false;
  if (data && GlobalSize(data) >= sizeof(DWORD)) {
    if (const DWORD* flag = static_cast<const DWORD*>(GlobalLock(data))) {
      excluded = *flag == 0;
      GlobalUnlock(data);
    }
  }
  return excluded;
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

}  // namespace

int CaptureClipboard(HWND mainWindow, ListChange* change) {
  if (!IsClipboardFormatAvailable(CF_TEXT)) return -101;
  if (!OpenClipboardBriefly(mainWindow)) return -102;
  if (MarkedAsPrivate()) {
    CloseClipboard();
    return -105;
  }
  HANDLE data = GetClipboardData(CF_TEXT);
  const char* locked = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  if (!locked) {
    CloseClipboard();
    return data ? -103 : -102;
  }
  std::string record;
  bool copied = true;
  try {
    // The text ends at its first zero byte, and never past the block.
    size_t limit = GlobalSize(data);
    record = ClipboardRecord(locked, limit ? strnlen(locked, limit) : strlen(locked));
  } catch (const std::bad_alloc&) {
    copied = false;
  }
  GlobalUnlock(data);
  CloseClipboard();  // released before any file work
  if (!copied) return -104;
  int result = RecordText(&AppState.History, record, change);
  // A text recorded here goes to the other PCs too: it waits in Pelmor.OUT, and is written to
  // the sync folder once this notification is through.
  if (result == 0 && QueueCapture(&AppState.Sync, record)) PostMessageA(mainWindow, WM_APP_SYNC_FLUSH, 0, 0);
  return result;
}

// True for the change our own paste-back made: one notified while it is being written, or
// the one its write produced. The first notification after the write ends the wait for it,
// whether it is about that change or a later one.
static bool IsOwnPasteBack(DWORD sequence) {
  if (!AppState.SelfCopyPending) return false;
  if (AppState.SelfCopyWriting) return true;
  AppState.SelfCopyPending = 0;
  return sequence == AppState.SelfCopySequence;
}

void TakeClipboardChange(HWND mainWindow, ListChange* change) {
  *change = {};
  // Some systems notify the chain more than once for one change; a change is recorded once.
  DWORD sequence = GetClipboardSequenceNumber();
  bool seen = sequence != 0 && sequence == AppState.LastClipboardSequence;
  bool settled = true;
  if (!IsOwnPasteBack(sequence) && AppState.CaptureEnabled == 1) {
    if (AppState.SkipFirstDraw == 1)
      AppState.SkipFirstDraw = 0;  // what was on the clipboard when we joined the chain
    else if (!seen)
      settled = CaptureClipboard(mainWindow, change) != -102;  // a busy clipboard is tried again next time
  }
  if (settled) AppState.LastClipboardSequence = sequence;
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
