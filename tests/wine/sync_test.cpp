// One history across PCs: two Pelmors with data folders of their own share a sync folder.
#include "harness.h"

namespace {

std::string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char day[16];
  snprintf(day, sizeof day, "%04d%02d%02d.PLM", now.wYear, now.wMonth, now.wDay);
  return day;
}

struct SyncTest : ::testing::Test {
  std::string root = MakeDataDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::string folder = root + "同期 フォルダ\\";  // a space and Japanese characters
  Pelmor a{root + "A\\"}, b{root + "B\\"};
  void SetUp() override {
    for (const std::string& dir : {folder, a.dir, b.dir}) CreateDirectoryA(dir.c_str(), nullptr);
  }
  void TearDown() override {
    for (Pelmor* p : {&a, &b}) EXPECT_TRUE(!p->process.hProcess || p->Quit() == 0);
  }
  // The PC's settings as the options page writes them.
  void Join(const Pelmor& p, const std::string& name, const std::string& id) {
    WriteFileBytes(p.File("Pelmor.ini"),
                   "[OPTION]\r\nHOTKEY=0\r\n[SYNC]\r\nDIR=" + folder + "\r\nNAME=" + name + "\r\nID=" + id + "\r\n");
  }
  bool Listed(const Pelmor& p, const Rows& rows) {
    return WaitUntil([&] { return p.Rows(kHistory) == rows; });
  }
};

TEST_F(SyncTest, ATextCopiedOnOnePcArrivesOnTheOtherWhichKeepsItAndImportsNothingTwice) {
  Join(a, "A", "id-a");
  Join(b, "B", "id-b");
  ASSERT_TRUE(a.Start());
  CopyText("while B was off");
  ASSERT_TRUE(Listed(a, {"while B was off"}));
  ASSERT_TRUE(b.Start());  // the backlog comes in at its first tick
  EXPECT_TRUE(Listed(b, {"while B was off"}));
  b.Command(40005);  // B paused: only the import can bring a text now
  ASSERT_TRUE(b.Flush());
  CopyText("copied on A");
  EXPECT_TRUE(Listed(b, {"copied on A", "while B was off"}));
  EXPECT_EQ(ReadFileBytes(folder + "A\\" + Today()), RecordBytes({"while B was off", "copied on A"}));
  EXPECT_EQ(ReadFileBytes(folder + "A\\owner.id"), "id-a");
  EXPECT_EQ(b.Quit(), 0u);
  EXPECT_NE(ReadFileBytes(b.File("Pelmor.SYN")).find("A\\" + Today() + "=2"), std::string::npos);
  EXPECT_FALSE(FileThere(folder + "B\\" + Today()));  // nothing of A's went back out
  ASSERT_TRUE(b.Start());
  b.Command(40005);
  ASSERT_TRUE(b.Flush());
  CopyText("after the restart");  // what B imported before comes not again
  EXPECT_TRUE(Listed(b, {"after the restart", "copied on A", "while B was off"}));
}

}  // namespace
