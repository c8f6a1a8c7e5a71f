// Capture of every copy through the clipboard viewer chain.
#include "harness.h"

namespace {

TEST(Captures, EveryCopyIsRecordedOnceButNotWhatWasThereAtStart) {
  const struct {
    const char* ini;
    Rows rows;
  } cases[] = {
      {"", {"last", "cut", "", "日本語のテキスト", "saved"}},
      {"[OPTION]\r\nADDFLG=0\r\n", {"saved", "日本語のテキスト", "", "cut", "last"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    CopyText("on the clipboard before the start");
    ChainViewer viewer;
    Pelmor p(MakeDataDir("capture"));
    WriteFileBytes(p.File("Pelmor.ini"), c.ini);
    WriteFileBytes(p.File("Pelmor.DAT"), RecordBytes({"saved"}));
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(viewer.CopyThrough("日本語のテキスト"));
    ASSERT_TRUE(viewer.CopyThrough(""));
    ASSERT_TRUE(viewer.CopyThrough(std::string("cut\0here", 8)));
    ASSERT_TRUE(viewer.CopyThrough("not text", RegisterClipboardFormatA("PelmorTestFormat")));  // no text
    ASSERT_TRUE(viewer.CopyThrough("last"));
    Ask(p.main, WM_DRAWCLIPBOARD);  // a second notification of the same change
    EXPECT_EQ(p.Rows(kHistory), c.rows);
    EXPECT_EQ(p.Quit(), 0u);
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes({"saved", "日本語のテキスト", "", "cut", "last"}));
  }
}

using Capture = PelmorTest;

TEST_F(Capture, AChangeFirstSeenWhileTheClipboardIsBusyIsRecordedAtTheNextNotification) {
  ASSERT_TRUE(p.Start());
  {
    ClipboardHold hold;
    ASSERT_TRUE(hold.held);
    hold.Put("copied while busy");
    Ask(p.main, WM_DRAWCLIPBOARD);  // Pelmor cannot open the clipboard now
    EXPECT_EQ(p.Rows(kHistory), Rows{});
  }  // closing the clipboard notifies the chain again
  EXPECT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == Rows{"copied while busy"}; }));
}

TEST_F(Capture, PasswordManagerCopiesAreNotRecordedButPassedOn) {
  ChainViewer viewer;
  ASSERT_TRUE(p.Start());
  const struct {
    const char* text;
    const char* mark;
    std::string data;
  } copies[] = {
      {"secret1", "ExcludeClipboardContentFromMonitorProcessing", ""},
      {"secret2", "Clipboard Viewer Ignore", ""},
      {"secret3", "CanIncludeInClipboardHistory", std::string(4, '\0')},
      {"allowed", "CanIncludeInClipboardHistory", std::string("\x01\0\0\0", 4)},
  };
  for (const auto& c : copies) {
    int seen = viewer.notifications;
    CopyFormats({{RegisterClipboardFormatA(c.mark), c.data}, {CF_TEXT, c.text}});
    EXPECT_TRUE(WaitUntil([&] { return viewer.notifications > seen; })) << c.text;
  }
  EXPECT_EQ(p.Rows(kHistory), Rows{"allowed"});
}

TEST_F(Capture, ViewersBehindThatLeaveAreCutOutAndTheRestStillGetEveryChange) {
  ChainViewer last, middle, first;  // the chain: Pelmor, first, middle, last
  ASSERT_TRUE(p.Start());
  middle.Leave();  // not Pelmor's neighbour: Pelmor passes the news on
  first.Leave();   // Pelmor's neighbour: Pelmor links up with the one after it
  ASSERT_TRUE(last.CopyThrough("after the repair"));
  EXPECT_EQ(p.Rows(kHistory), Rows{"after the repair"});
  EXPECT_EQ(first.notifications + middle.notifications, 0);
}

}  // namespace
