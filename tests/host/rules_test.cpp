// Pure rules: data directory and mutex name, AA list lines, hot-key words and the guard.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/data_dir.h"
#include "test_files.h"
#include "ui/aa_lines.h"
#include "ui/hotkey_logic.h"

namespace {

TEST(DataDir, EndsInExactlyOneBackslashCharacter) {
  // 0x95 0x5C is 表: a double-byte character whose trail byte is a backslash.
  const struct {
    const char* name;
    const char* current;
    const char* dataDir;
  } cases[] = {
      {"ASCII folder", "C:\\Users\\me\\Pelmor", "C:\\Users\\me\\Pelmor\\"},
      {"drive root", "D:\\", "D:\\"},
      {"folder named 表", "C:\\data\\\x95\x5c", "C:\\data\\\x95\x5c\\"},
      {"表 then a real backslash", "C:\\\x95\x5c\\", "C:\\\x95\x5c\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char dir[kPathSize] = {};
    strcpy(dir, c.current);
    AddTrailingBackslash(dir);
    EXPECT_STREQ(dir, c.dataDir);
    EXPECT_TRUE(DataDirFits(dir));
    EXPECT_EQ(DataDirFits(c.current), strcmp(c.current, c.dataDir) == 0);  // complete as it was
  }
}

TEST(DataDir, MutexNameReplacesEveryBackslashByteOnly) {
  char name[1024];
  // 0x95 0x5C is a Shift_JIS character whose trail byte is a backslash.
  BuildMutexName("C:\\\x95\x5c\\x\\", name, sizeof name);
  EXPECT_STREQ(name, "C:@\x95@@x@");
}

TEST(DataDir, TooLongForTheLongestFileNameIsRefused) {
  std::string fits = "C:\\" + std::string(259 - 3 - 14 - 1, 'a') + "\\";
  EXPECT_TRUE(DataDirFits(fits.c_str()));
  std::string tooLong = "C:\\" + std::string(259 - 3 - 14, 'a') + "\\";
  EXPECT_FALSE(DataDirFits(tooLong.c_str()));
}

std::vector<std::string> Lines(const std::string& content) {
  TempDir dir;
  WriteAll(dir.File("AAList.txt"), content);
  FILE* f = fopen(dir.File("AAList.txt").c_str(), "r");
  std::vector<std::string> lines = ReadAALines(f);
  fclose(f);
  return lines;
}

TEST(AALines, LineEndsRemovedOnceAndEmptyLinesSkipped) {
  EXPECT_EQ(Lines("abc\n\nde\n"), (std::vector<std::string>{"abc", "de"}));
  EXPECT_EQ(Lines("abc\r\n\r\nde\r\n"), (std::vector<std::string>{"abc", "de"}));
  EXPECT_EQ(Lines("last line"), (std::vector<std::string>{"last line"}));
  EXPECT_EQ(Lines("  \t\n"), (std::vector<std::string>{"  \t"}));
  EXPECT_EQ(Lines("a\r\r\n"), (std::vector<std::string>{"a\r"}));
}

TEST(AALines, LongLinesComeInPiecesOf2047Bytes) {
  auto lines = Lines(std::string(3000, 'x') + "\nend\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 2047u);
  EXPECT_EQ(lines[1].size(), 953u);
  EXPECT_EQ(lines[2], "end");
}

TEST(AALines, ZeroByteCutsTheLine) {
  EXPECT_EQ(Lines(std::string("ab\0cd\n", 6) + std::string("\0x\n", 3) + "e\n"),
            (std::vector<std::string>{"ab", "e"}));
}

TEST(HotKeys, ModifierSetsMayBeEmpty) {
  EXPECT_EQ(ModifierSet({1, 0, 0, 49}), kModAlt);
  EXPECT_EQ(ModifierSet({1, 1, 1, 49}), kModAlt | kModControl | kModShift);
  EXPECT_EQ(ModifierSet({0, 0, 0, 49}), 0u);
  EXPECT_EQ(ModifierSet({0, 7, 0, 49}), kModControl);
}

TEST(HotKeys, ControlWordsPackAndUnpack) {
  EXPECT_EQ(PackHotKeyWord({1, 0, 0, 49}), 0x431);
  EXPECT_EQ(PackHotKeyWord({1, 1, 1, 0x70}), 0x770);
  EXPECT_EQ(PackHotKeyWord({1, 1, 1, 0}), 0);
  HotKeySetting h = UnpackHotKeyWord(0x231);
  EXPECT_EQ((std::vector<int>{h.alt, h.ctl, h.sft, h.key}), (std::vector<int>{0, 1, 0, 0x31}));
  h = UnpackHotKeyWord(0x500);  // modifiers only: flags kept, no key
  EXPECT_EQ((std::vector<int>{h.alt, h.ctl, h.sft, h.key}), (std::vector<int>{1, 0, 1, 0}));
  h = UnpackHotKeyWord(0);
  EXPECT_EQ((std::vector<int>{h.alt, h.ctl, h.sft, h.key}), (std::vector<int>{0, 0, 0, 0}));
}

TEST(FullScreenGuard, Decisions) {
  struct Case {
    const char* name;
    GuardView view;
    int expected;
  };
  const Case cases[] = {
      {"guard off", {0, true, "Game", 1920, 1080, 1920, 1080, false}, 0},
      {"no foreground", {1, false, "", 0, 0, 1920, 1080, false}, 0},
      {"empty title", {1, true, "", 1920, 1080, 1920, 1080, false}, 0},
      {"desktop", {1, true, "Program Manager", 1920, 1080, 1920, 1080, false}, 0},
      {"task manager", {1, true, "Windows タスク マネージャ", 1920, 1080, 1920, 1080, false}, 0},
      {"exclusion is case-sensitive", {1, true, "program manager", 1920, 1080, 1920, 1080, true}, 1},
      {"covers the screen", {1, true, "Game", 1920, 1080, 1920, 1080, true}, 1},
      {"small with a window above", {1, true, "Editor", 800, 600, 1920, 1080, true}, 0},
      {"small with nothing above", {1, true, "Editor", 800, 600, 1920, 1080, false}, 1},
      {"as wide but not as high", {1, true, "Editor", 1920, 1000, 1920, 1080, true}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(DecideFullScreenGuard(c.view), c.expected) << c.name;
}

}  // namespace
