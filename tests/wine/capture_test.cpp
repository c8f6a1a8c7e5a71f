// Capture of every copy through the clipboard viewer chain.
#include "harness.h"

namespace {

TEST(Captures, EveryTextCopiedIsRecordedOnceButNotWhatWasThereAtStartNorAPasswordManagersSecret) {
  auto format = [](const char* name) { return RegisterClipboardFormatA(name); };
  const UINT history = format("CanIncludeInClipboardHistory");
  const std::vector<std::pair<UINT, std::string>> copies[] = {
      {{CF_TEXT, "日本語のテキスト"}},
      {{CF_TEXT, ""}},
      {{CF_TEXT, std::string("cut\0here", 8)}},
      {{format("PelmorTestFormat"), "not text"}},
      {{format("ExcludeClipboardContentFromMonitorProcessing"), ""}, {CF_TEXT, "secret1"}},
      {{format("Clipboard Viewer Ignore"), ""}, {CF_TEXT, "secret2"}},
      {{history, std::string(4, '\0')}, {CF_TEXT, "secret3"}},
      {{history, std::string("\x01\0\0\0", 4)}, {CF_TEXT, "last"}},
  };
  for (const char* ini : {"", "[OPTION]\r\nADDFLG=0\r\n"}) {
    SCOPED_TRACE(ini);
    CopyText("on the clipboard before the start");
    ChainViewer viewer;  // Pelmor passes every change on to it, recorded or not
    Pelmor p(MakeDataDir("capture"));
    WriteFileBytes(p.File("Pelmor.ini"), ini);
    WriteFileBytes(p.File("Pelmor.DAT"), RecordBytes({"saved"}));
    ASSERT_TRUE(p.Start());
    for (const auto& copy : copies) ASSERT_TRUE(viewer.CopyThrough(copy));
    Ask(p.main, WM_DRAWCLIPBOARD);  // a second notification of the same change
    Rows file = {"saved", "日本語のテキスト", "", "cut", "last"};
    EXPECT_EQ(p.Rows(kHistory), *ini ? file : Rows(file.rbegin(), file.rend()));
    EXPECT_EQ(p.Quit(), 0u);
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes(file));
    // No sync folder set: nothing of it in the settings or the data folder.
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.ini")).find("SYNC"), std::string::npos);
    EXPECT_FALSE(FileThere(p.File("Pelmor.SYN")) || FileThere(p.File("Pelmor.OUT")));
  }
}

using Capture = PelmorTest;

TEST_F(Capture, ChangesNotifiedLateOrAgainAreRecordedOnceAndPelmorsOwnPasteNever) {
  Start("", {"pasted"});
  ChainViewer ahead;  // joined after Pelmor, it keeps the notifications; the test hands them on
  ahead.withhold = true;
  ASSERT_TRUE(ahead.CopyThrough({{CF_TEXT, "copied"}}));
  {
    ClipboardHold hold;  // another program has the clipboard open without changing it
    ASSERT_TRUE(hold.held);
    Ask(p.main, WM_DRAWCLIPBOARD);  // Pelmor cannot open it now
  }
  EXPECT_EQ(p.Rows(kHistory), Rows{"pasted"});
  for (int again = 0; again < 2; ++again) Ask(p.main, WM_DRAWCLIPBOARD);  // the same change, its number unchanged
  EXPECT_EQ(p.Rows(kHistory), (Rows{"copied", "pasted"}));
  ShowListOverTarget();
  ASSERT_TRUE(Choose(kHistory, {1}));  // Pelmor's own change, whose notification is kept back
  ASSERT_TRUE(ahead.CopyThrough({{CF_TEXT, "other"}}));  // another program copies before it comes
  for (int late = 0; late < 2; ++late) Ask(p.main, WM_DRAWCLIPBOARD);
  EXPECT_EQ(p.Rows(kHistory), (Rows{"other", "copied", "pasted"}));
}

TEST_F(Capture, ViewersBehindThatLeaveAreCutOutAndTheRestStillGetEveryChange) {
  ChainViewer last, middle, first;  // the chain: Pelmor, first, middle, last
  ASSERT_TRUE(p.Start());
  middle.Leave();  // not Pelmor's neighbour: Pelmor passes the news on
  first.Leave();   // Pelmor's neighbour: Pelmor links up with the one after it
  ASSERT_TRUE(last.CopyThrough({{CF_TEXT, "after the repair"}}));
  EXPECT_EQ(p.Rows(kHistory), Rows{"after the repair"});
  EXPECT_EQ(first.notifications + middle.notifications, 0);
}

}  // namespace
