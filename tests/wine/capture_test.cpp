// Capture of every copy, through the clipboard viewer chain and as one of the clipboard's listeners;
// text outside code page 932 copied, kept, shown and pasted exactly.
#include "sync_fixture.h"  // the day files of the sync folder

namespace {

using Capture = PelmorTest;

TEST_F(Capture, EveryTextCopiedIsRecordedOnceButNotWhatWasThereAtStartNorAPasswordManagersSecret) {
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
  // The settings, and where the texts for the other PCs go.
  const std::string folder = kDataRoot + "capture sync\\";
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"[OPTION]\r\nADDFLG=0\r\n", ""},
      {"[SYNC]\r\nDIR=" + folder + "\r\nNAME=A\r\nID=a\r\n", folder + "A\\" + DayFile()}};
  for (const auto& [ini, synced] : cases) {
    SCOPED_TRACE(ini);
    CopyText("on the clipboard before the start");
    ChainViewer last, middle, first;  // behind Pelmor, which passes every change on, recorded or not
    MakeDataDir("capture sync");
    ASSERT_NO_FATAL_FAILURE(Start(ini, {"saved"}));
    middle.Leave();  // not Pelmor's neighbour: Pelmor passes the news on
    first.Leave();   // Pelmor's neighbour: Pelmor links up with the one after it
    for (const auto& copy : copies) ASSERT_TRUE(last.CopyThrough(copy));
    Ask(p.main, WM_DRAWCLIPBOARD);  // a second notification of the same change
    EXPECT_EQ(last.notifications, 10);  // the copies and the repeat, each once, however Pelmor heard of them
    EXPECT_EQ(first.notifications + middle.notifications, 0);
    Rows file = {"saved", "日本語のテキスト", "", "cut", "for this PC only", "last"};
    EXPECT_EQ(p.Rows(kHistory), ini[1] == 'O' ? file : Rows(file.rbegin(), file.rend()));
    EXPECT_EQ(p.Quit(), 0u);
    EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes(file));
    EXPECT_EQ(ReadFileBytes(synced), synced.empty() ? "" : RecordBytes({"日本語のテキスト", "", "cut", "last"}));
    // No sync folder set: nothing of it in the settings or the data folder.
    EXPECT_TRUE(!synced.empty() || (ReadFileBytes(p.File("Pelmor.ini")).find("SYNC") == std::string::npos &&
                                    !FileThere(p.File("Pelmor.SYN")) && !FileThere(p.File("Pelmor.OUT"))));
  }
}

// Each change is told through the chain and to the listeners, some of it late, again, or while
// another program holds the clipboard.
TEST_F(Capture, ChangesToldLateAgainOrInABurstAreRecordedOnceInOrderAndPelmorsOwnPasteNever) {
  Start("", {"pasted"});
  ChainViewer ahead;  // joined after Pelmor, it passes nothing on: Pelmor hears of its own paste only once written
  ahead.withhold = true;
  {
    SuspendThread(p.process.hThread);  // another program opens the clipboard at once: Pelmor hears of the change then
    CopyText("copied");
    ClipboardHold hold;
    ResumeThread(p.process.hThread);
    ASSERT_TRUE(hold.held);
    hold.KeepFor(300);
  }  // closed unchanged: nothing tells of the change again
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == Rows{"copied", "pasted"}; }));
  ShowListOverTarget();
  ASSERT_TRUE(Choose(kHistory, {1}));  // Pelmor's own change
  for (int again = 0; again < 2; ++again) Ask(p.main, WM_DRAWCLIPBOARD);  // its number unchanged
  ahead.Leave();  // the copies below are not held up by the test's own viewer
  const int copies = 300;  // 0 to 10 ms apart, then a burst of 200 with no gap
  for (int i = 0; i < copies; ++i) {
    CopyText("copy " + std::to_string(i));
    if (i < 100) Sleep(i % 11);
  }
  const std::string last = "copy " + std::to_string(copies - 1);
  ASSERT_TRUE(WaitUntil([&] { return p.Rows(kHistory).front() == last; }) && p.Flush());
  Rows rows = p.Rows(kHistory);
  EXPECT_EQ(rows.front(), last);
  EXPECT_EQ(Rows(rows.end() - 2, rows.end()), (Rows{"copied", "pasted"}));
  for (size_t i = 1; i + 2 < rows.size(); ++i)  // each copy at most once, in the order copied
    EXPECT_GT(atoi(rows[i - 1].c_str() + 5), atoi(rows[i].c_str() + 5)) << rows[i];
  EXPECT_EQ(p.Quit(), 0u);
  EXPECT_EQ(ReadFileBytes(p.File("Pelmor.WK")), RecordBytes(Rows(rows.rbegin(), rows.rend())));
}

// Programs that joined the chain after Pelmor die without leaving it: nothing passes the changes on.
TEST_F(Capture, AViewerAheadThatIsKilledNeverEndsTheRecording) {
  Start("", {});
  ASSERT_TRUE(p.ShowList());  // painted anew once the copies pause
  std::string painted, now;
  ASSERT_TRUE(WaitUntil([&] { return (now = ScreenPixels(p.Child(kHistory))) == std::exchange(painted, now); }));
  Pelmor second(MakeDataDir("second Pelmor"));
  Rows recorded;
  for (const std::string ahead : {"a viewer", "the viewer started again", "a second Pelmor"}) {
    ViewerProcess viewer;
    PROCESS_INFORMATION* killed = ahead[2] == 's' ? &second.process : &viewer.process;
    ASSERT_TRUE(killed == &viewer.process ? viewer.Start(p.File("read.txt")) : second.Start());
    ASSERT_TRUE(WaitUntil([&] { return HeadsTheChain(*killed); })) << ahead;
    for (const char* when : {"while it runs: ", "killed: "}) {
      recorded.insert(recorded.begin(), when + ahead);
      CopyText(recorded.front());
      EXPECT_TRUE(WaitUntil([&] { return p.Rows(kHistory) == recorded; })) << recorded.front();
      EXPECT_TRUE(WaitUntil([&] { return ScreenPixels(p.Child(kHistory)) != painted; }));
      EndProcess(killed);
    }
  }
}

using UnicodeTest = PelmorTest;

TEST_F(UnicodeTest, ATextOutsideTheCodePageIsKeptShownAndPastedExactly) {
  const std::wstring text = L"café ✓ 한국어 😀";
  const WideRows copies = {L"a€", L"a£", L"a€", text};  // with OVERLAP, a€ and a£ are two texts
  Start("[OPTION]\r\nOVERLAP=1\r\n", {"plain"});
  for (const std::wstring& copy : copies) {
    CopyUnicode(copy);
    ASSERT_TRUE(WaitUntil([&] { return p.RowsW(kHistory)[0] == copy; }));
  }
  ASSERT_EQ(p.RowsW(kHistory), (WideRows{text, copies[0], copies[1], L"plain"}));
  // Programs that read the code page text get what the clipboard gave them as CF_TEXT.
  const std::string codePage = ClipboardText(), record = codePage + '\0' + Utf8(text);
  EXPECT_EQ(p.Rows(kHistory)[0], codePage);
  EXPECT_EQ(p.Rows(kHistory, 1)[0], std::to_string(record.size()));
  ShowListOverTarget();
  ASSERT_TRUE(Choose(kHistory, {0, 3}));
  EXPECT_EQ(target.TextW(), text + L"plain");
  EXPECT_EQ(ClipboardText(), codePage + "plain");
  EndProcess(&p.process);
  EXPECT_TRUE(ReadFileBytes(p.File("Pelmor.WK")).ends_with(Int32Bytes(record.size()) + record));
}

}  // namespace
