#include "capture.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "../app/app_state.h"
#include "../ui/record_lists.h"
#include "../ui/record_rows.h"
#include "clipboard.h"

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

}  // namespace

int CaptureClipboard(HWND mainWindow) {
  if (!IsClipboardFormatAvailable(CF_TEXT)) return -101;
  if (!OpenClipboardBriefly(mainWindow)) return -102;
  if (MarkedAsPrivate()) {
    CloseClipboard();
    return -105;
  }
  HANDLE data = GetClipboardData(CF_TEXT);
  if (!data) {
    CloseClipboard();
    return -102;
  }
  const char* locked = static_cast<const char*>(GlobalLock(data));
  if (!locked) {
    CloseClipboard();
    return -103;
  }
  // The text ends at its first zero byte, and never past the block.
  size_t limit = GlobalSize(data);
  size_t length = limit ? strnlen(locked, limit) : strlen(locked);
  char* text = static_cast<char*>(calloc(length + 1, 1));
  if (!text) {
    GlobalUnlock(data);
    CloseClipboard();
    return -104;
  }
  memcpy(text, locked, length);
  GlobalUnlock(data);
  CloseClipboard();  // released before any file work
  int64_t position = AppendRecord(text, static_cast<int32_t>(length));
  if (position < 0) {
    free(text);
    return -103;
  }
  HWND history = AppState.HistoryList;
  InsertRow(history, static_cast<int>(SendMessageA(history, LVM_GETITEMCOUNT, 0, 0)), text,
            static_cast<int>(length), static_cast<int>(position));
  if (Settings.OVERLAP == 1 && HasDuplicateRecord(text, static_cast<int32_t>(length)) == 1)
    PurgeDuplicates(history, text, static_cast<int32_t>(length), position);
  free(text);
  return 0;
}

void OnDrawClipboard(HWND mainWindow, WPARAM wParam, LPARAM lParam) {
  // Some systems notify the chain more than once for one change; a change is recorded once.
  DWORD sequence = GetClipboardSequenceNumber();
  bool seen = sequence != 0 && sequence == AppState.LastClipboardSequence;
  bool settled = true;
  if (AppState.SelfCopyPending) {
    AppState.SelfCopyPending = 0;  // our own paste-back
  } else if (AppState.CaptureEnabled == 1) {
    if (AppState.SkipFirstDraw == 1)
      AppState.SkipFirstDraw = 0;  // what was on the clipboard when we joined the chain
    else if (!seen)
      settled = CaptureClipboard(mainWindow) != -102;  // a busy clipboard is tried again next time
  }
  if (settled) AppState.LastClipboardSequence = sequence;
  if (AppState.NextViewer) SendMessageA(AppState.NextViewer, WM_DRAWCLIPBOARD, wParam, lParam);
}

void OnChangeClipboardChain(HWND, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(wParam) == AppState.NextViewer)
    AppState.NextViewer = reinterpret_cast<HWND>(lParam);
  else if (AppState.NextViewer)
    SendMessageA(AppState.NextViewer, WM_CHANGECBCHAIN, wParam, lParam);
}
