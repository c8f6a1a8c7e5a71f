// Pure rules: data directory and mutex name, AA list lines, the full-screen guard and the
// window's place on the screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/data_dir.h"
#include "ui/aa_lines.h"
#include "ui/hotkey_logic.h"
#include "ui/window_area.h"

namespace {

TEST(DataDir, EndsInExactlyOneBackslashCharacterAndMustLeaveRoomForTheFileNames) {
  // 0x95 0x5C is 表: a double-byte character whose trail byte is a backslash; 0x95 0x40 is
  // 鼻. Each folder has a mutex name of its own, the one it always had where that was so.
  const std::string longest(259 - 3 - 14 - 1, 'a');  // the room "Pelmor.DAT.BAK" needs
  const struct {
    const char* name;
    std::string current, dataDir;
    bool fits;
    std::string mutexName;
  } cases[] = {
      {"ASCII folder", "C:\\Pelmor", "C:\\Pelmor\\", true, "C:@Pelmor@"},
      {"drive root", "D:\\", "D:\\", true, "D:@"},
      {"folder named 表", "C:\\\x95\x5c", "C:\\\x95\x5c\\", true, "C:@\x95\x5c@"},
      {"表 then a real backslash", "C:\\\x95\x5c\\", "C:\\\x95\x5c\\", true, "C:@\x95\x5c@"},
      {"folder named 鼻", "C:\\\x95\x40", "C:\\\x95\x40\\", true, "C:@\x95\x40@"},
      {"a\\b", "C:\\a\\b", "C:\\a\\b\\", true, "C:@a@b@"},
      {"a@b", "C:\\a@b", "C:\\a@b\\", true, "C:@a*b@"},
      {"just short enough", "C:\\" + longest, "C:\\" + longest + "\\", true, "C:@" + longest + "@"},
      {"one character too long", "C:\\" + longest + "a", "C:\\" + longest + "a\\", false, "C:@" + longest + "a@"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char dir[kPathSize] = {};
    strcpy(dir, c.current.c_str());
    AddTrailingBackslash(dir);
    EXPECT_EQ(dir, c.dataDir);
    EXPECT_EQ(DataDirFits(dir), c.fits);
    EXPECT_EQ(DataDirFits(c.current.c_str()), c.fits && c.current == c.dataDir);  // complete as it was
    char name[1024];
    BuildMutexName(dir, name, sizeof name);
    EXPECT_EQ(name, c.mutexName);
  }
}

TEST(AALines, EachLineIsARowWithoutItsLineEndInTheCodePageOrInUtf8) {
  const std::string a = "\xE3\x81\x82";  // あ in UTF-8
  const std::string e = "\xC3\xA9";      // é in UTF-8
  const std::string t = "\xC3\xBD\xC4\x81\x41\xC3\xBD\xC4\x81\x42";  // ﾃｽﾄ、ﾃｽﾄ。, also UTF-8 of two-byte characters
  const struct {
    const char* name;
    std::string content;
    bool utf8;
    std::vector<std::string> rows;
  } cases[] = {
      {"line feeds", "abc\n\nde\n", false, {"abc", "de"}},
      {"spaces and tabs are text, and a line needs no end", "  \t\nlast", false, {"  \t", "last"}},
      {"one carriage return goes with the line feed", "a\r\r\n", false, {"a\r"}},
      {"pieces of 2047 bytes", std::string(3000, 'x') + "\nend\n", false, {std::string(2047, 'x'), std::string(953, 'x'), "end"}},
      {"a zero byte ends the text", std::string("ab\0cd\n", 6) + std::string("\0x\n", 3) + "e\n", false, {"ab", "e"}},
      {"code page 932", "\x82\xA0\x82\xA2\n", false, {"\x82\xA0\x82\xA2"}},
      {"code page 932, a long line cut before a character", std::string(2046, 'a') + "\x82\xA0" "xyz", false, {std::string(2046, 'a'), "\x82\xA0" "xyz"}},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" "abc\r\n\r\nde\n", true, {"abc", "de"}},
      {"code page 932 that is UTF-8 of two-byte characters only", t, false, {t}},
      {"UTF-8 without one", "caf" + e + a + "\nx", true, {"caf" + e + a, "x"}},
      {"UTF-8, a long line cut before a character", std::string(2046, 'a') + a + "b\n", true, {std::string(2046, 'a'), a + "b"}},
      {"UTF-8, a zero byte ends the text", "a" + a + std::string("\0z\n", 3), true, {"a" + a}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadsAsUtf8(c.content), c.utf8);
    FILE* f = fmemopen(const_cast<char*>(c.content.data()), c.content.size(), "r");  // as the file is read
    EXPECT_EQ(c.utf8 ? SplitUtf8Lines(c.content) : ReadAALines(f), c.rows);
    fclose(f);
  }
}

TEST(FullScreenGuard, Decisions) {
  const struct {
    const char* name;
    GuardView view;
    int expected;
  } cases[] = {
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
  for (const auto& c : cases) EXPECT_EQ(DecideFullScreenGuard(c.view), c.expected) << c.name;
}

TEST(WindowArea, AWindowWhoseCaptionCannotBeReachedIsMovedIntoTheAreaAndShrunkOnlyWhenLarger) {
  const ScreenRect screen = {0, 0, 1280, 984}, leftScreen = {-1920, 0, 0, 1040};
  const struct {
    const char* name;
    ScreenRect window, area, fitted;
  } cases[] = {
      {"the default place stays", {0, 0, 300, 300}, screen, {0, 0, 300, 300}},
      {"far beyond the right and the bottom", {6000, 5000, 6300, 5300}, screen, {980, 684, 1280, 984}},
      {"on a monitor to the left it stays", {-1500, 100, -1200, 400}, leftScreen, {-1500, 100, -1200, 400}},
      {"partly off the screen but within reach it stays", {-2000, 900, -1700, 1200}, leftScreen, {-2000, 900, -1700, 1200}},
      {"wider than the screen it stays", {0, 0, 2000, 300}, screen, {0, 0, 2000, 300}},
      {"a sliver at the right edge", {1260, 100, 1560, 400}, screen, {980, 100, 1280, 400}},
      {"the caption above the screen, larger than it", {100, -10, 1500, 1100}, screen, {0, 0, 1280, 984}},
      {"the caption below the screen's end", {100, 960, 400, 1260}, screen, {100, 684, 400, 984}},
  };
  auto corners = [](const ScreenRect& r) { return std::vector<long>{r.left, r.top, r.right, r.bottom}; };
  for (const auto& c : cases)
    EXPECT_EQ(corners(FitRectInArea(c.window, c.area, 40)), corners(c.fitted)) << c.name;
}

TEST(HotKeys, TwoOfTheSheetsKeysOnOneCombinationAreRefusedWhicheverCameFirst) {
  const HotKeySetting alt1 = {1, 0, 0, '1'}, alt2 = {1, 0, 0, '2'}, alt0 = {1, 0, 0, '0'}, ctrlQ = {0, 1, 0, 'Q'};
  const struct { const char* name; HotKeySetting keys[3]; bool changed[3]; int refused, other; } cases[] = {
      {"the list key on the pause key's", {alt2, alt2, alt0}, {true, false, false}, 0, 1},
      {"the pause key on the menu key's", {alt1, alt0, alt0}, {false, true, false}, 1, 2},
      {"the menu key on the list key's", {alt1, alt2, alt1}, {false, false, true}, 2, 0},
      {"two changed to one: the later is named", {ctrlQ, alt2, ctrlQ}, {true, false, true}, 2, 0},
      {"a flag counts when it is not zero", {{2, 0, 0, '2'}, alt2, alt0}, {true, false, false}, 0, 1},
      {"left as they were", {alt1, alt1, alt0}, {false, false, false}, -1, -1},
      {"one key, other modifiers", {{1, 1, 0, '1'}, alt1, {1, 0, 1, '1'}}, {true, true, true}, -1, -1},
      {"empty, or modifiers alone, is no combination", {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}}, {true, true, true}, -1, -1},
  };
  for (const auto& c : cases) {
    int other = -1, refused = DuplicateHotKey(c.keys, c.changed, &other);
    EXPECT_EQ(std::make_pair(refused, other), std::make_pair(c.refused, c.other)) << c.name;
  }
}

}  // namespace
