// Capture of every copy, through the clipboard viewer chain and the clipboard's listeners.
#include "harness.h"

namespace {

TEST(Captures, EveryTextCopiedIsRecordedOnceButNotWhatWasThereAtStartNorAPasswordManagersSecret) {
  auto format = [](const char* name) { return RegisterClipboardFormatA(name); };
  const UINT history = format("CanIncludeInClipboardHistory"), upload = format("CanUploadToCloudClipboard");
  const std::string no(4, '\0'), yes("\x01\0\0\0", 4);
  const std::vector<std::pair<UINT, std::string>> copies[] = {
      {{CF_TEXT, "日本語のテキスト"}},
      {{CF_TEXT, ""}},
      {{CF_TEXT, std::string("cut\0here", 8)}},
      {{format("PelmorTestFormat"), "not text"}},
      {{format("ExcludeClipboardContentFromMonitorProcessing"), ""}, {CF_TEXT, "secret1"}},
      {{format("Clipboard Viewer Ignore"), ""}, {CF_TEXT, "secret2"}},
      {{history, no}, {CF_TEXT, "secret3"}},
      {{upload, no}, {CF_TEXT, "for this PC only"}},
      {{history, yes}, {upload, yes}, {CF_TEXT, "last"}},
  };
  // The texts go to the other PCs through the sync folder, or wait in Pelmor.OUT while it cannot be written.
  const std::string dir = kDataRoot + "capture\\", folder = kDataRoot + "capture sync\\";
  const struct {
    std::string ini, synced;
  } cases[] = {{"", ""},
               {"[OPTION]\r\nADDFLG=0\r\n", ""},
               {"[SYNC]\r\nDIR=" + folder + "\r\nNAME=A\r\nID=a\r\n", folder + "A\\" + TodayFileName()},
               {"[SYNC]\r\nDIR=" + dir + "Pelmor.ini\\sync\\\r\nNAME=A\r\nID=a\r\n", dir + "Pelmor.OUT"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    CopyText("on the clipboard before the start");
    ChainViewer viewer;  // Pelmor passes every change on to it, recorded or not
    Pelmor p(MakeDataDir("capture"));
    MakeDataDir("capture sync");
    WriteFileBytes(p.File("Pelmor.ini"), c.ini);
    WriteFileBytes(p.File("Pelmor.DAT"), RecordBytes({"saved"}));
    ASSERT_TRUE(p.Start());
    for (const auto& copy : copies) ASSERT_TRUE(viewer.CopyThrough(copy));
    Ask(p.main, WM_DRAWCLIPBOARD);  // a second notification of the same change
    Rows file = {"saved", "日本語のテキスト", "", "cut", "for this PC only", "last"};
    EXPECT_EQ(p.Rows(kHistory), c.ini[1] != 'O' ? Rows(file.rbegin(), file.rend()) : file);
    EXPECT_EQ(p.Quit(), 0u);
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes(file));
    if (!c.synced.empty()) {
      EXPECT_EQ(ReadFileBytes(c.synced), RecordBytes({"日本語のテキスト", "", "cut", "last"}));
      continue;
    }
    // No sync folder set: nothing of it in the settings or the data folder.
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.ini")).find("SYNC"), std::string::npos);
    EXPECT_FALSE(FileThere(p.File("Pelmor.SYN")) || FileThere(p.File("Pelmor.OUT")));
  }
}

using Capture = PelmorTest;

TEST_F(Capture, ChangesNotifiedLateOrAgainAreRecordedOnceAndPelmorsOwnPasteNever) {
  Start("", {"pasted"});
  {
    CopyText("copied");
    ClipboardHold hold;  // another program opens the clipboard at once and keeps it while Pelmor hears of the change
    ASSERT_TRUE(hold.held);
    hold.KeepFor(300);
  }  // closed unchanged: no notification follows
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == Rows{"copied", "pasted"}; }));
  for (int again = 0; again < 2; ++again) Ask(p.main, WM_DRAWCLIPBOARD);  // the same change, its number unchanged
  ShowListOverTarget();
  ASSERT_TRUE(Choose(kHistory, {1}));  // Pelmor's own change
  for (int late = 0; late < 2; ++late) Ask(p.main, WM_DRAWCLIPBOARD);
  CopyText("other");
  EXPECT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == Rows{"other", "copied", "pasted"}; }));
}

TEST_F(Capture, ViewersBehindThatLeaveAreCutOutAndTheRestStillGetEveryChange) {
  ChainViewer last, middle, first;  // the chain: Pelmor, first, middle, last
  ASSERT_TRUE(p.Start());
  middle.Leave();  // not Pelmor's neighbour: Pelmor passes the news on
  first.Leave();   // Pelmor's neighbour: Pelmor links up with the one after it
  for (const char* text : {"after the repair", "again"}) ASSERT_TRUE(last.CopyThrough({{CF_TEXT, text}}));
  EXPECT_EQ(p.Rows(kHistory), (Rows{"again", "after the repair"}));
  ASSERT_TRUE(p.Flush());
  EXPECT_EQ(last.notifications, 2);  // each change once, however Pelmor heard of it
  EXPECT_EQ(first.notifications + middle.notifications, 0);
}

// Killed, a program ahead of Pelmor in the chain never passes a change on again.
TEST_F(Capture, AProgramAheadInTheChainThatIsKilledNeverEndsTheRecording) {
  Start("", {});
  Pelmor second(MakeDataDir("second Pelmor"));
  Rows recorded;
  for (const char* ahead : {"a viewer", "the viewer started again", "a second Pelmor"}) {
    ViewerProcess viewer;
    bool pelmor = ahead[2] == 's';
    ASSERT_TRUE(pelmor ? second.Start() && HeadsTheChain(second.process) : viewer.Start()) << ahead;
    for (const char* when : {"while it runs: ", "killed: "}) {
      recorded.insert(recorded.begin(), when + std::string(ahead));
      CopyText(recorded.front());
      EXPECT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == recorded; })) << recorded.front();
      EndProcess(pelmor ? &second.process : &viewer.process);
    }
  }
}

TEST_F(Capture, RapidCopiesAreRecordedAtMostOnceEachAndABurstEndsWithTheLastOnTop) {
  Start("", {});
  const int rapid = 100, burst = 200;  // 0 to 10 ms apart, then with no gap at all
  for (int i = 0; i < rapid + burst; ++i) {
    CopyText("copy " + std::to_string(i));
    if (i < rapid) Sleep(i % 11);
  }
  std::string last = "copy " + std::to_string(rapid + burst - 1);
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).front() == last; }) && p.Flush());
  Rows rows = p.Rows(kHistory);
  EXPECT_EQ(rows.front(), last);
  for (size_t i = 1; i < rows.size(); ++i)  // each once, in the order copied
    EXPECT_GT(std::stoi(rows[i - 1].substr(5)), std::stoi(rows[i].substr(5))) << rows[i];
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes(Rows(rows.rbegin(), rows.rend())));
}

}  // namespace
