#include "hotkey_logic.h"

#include <cstring>

// Windows whose title means "not a full-screen program", compared byte for byte.
static const char* const kGuardExclusions[] = {
    "Windows タスク マネージャ",
    "Program Manager",
};

unsigned ModifierSet(const HotKeySetting& h) {
  return (h.alt ? kModAlt : 0) | (h.ctl ? kModControl : 0) | (h.sft ? kModShift : 0);
}

uint16_t PackHotKeyWord(const HotKeySetting& h) {
  if (h.key == 0) return 0;
  unsigned word = static_cast<unsigned>(h.key);
  if (h.alt) word += kWordAlt;
  if (h.ctl) word += kWordControl;
  if (h.sft) word += kWordShift;
  return static_cast<uint16_t>(word);
}

HotKeySetting UnpackHotKeyWord(uint32_t word) {
  HotKeySetting h = {0, 0, 0, 0};
  if ((word & 0xFFFF) == 0) return h;
  h.alt = (word & kWordAlt) ? 1 : 0;
  h.ctl = (word & kWordControl) ? 1 : 0;
  h.sft = (word & kWordShift) ? 1 : 0;
  h.key = static_cast<int>(word & 0xFF);
  return h;
}

std::string HotKeyText(const HotKeySetting& h, const std::string& keyName) {
  return std::string(h.ctl ? "Ctrl+" : "") + (h.alt ? "Alt+" : "") + (h.sft ? "Shift+" : "") + keyName;
}

static bool SameCombination(const HotKeySetting& a, const HotKeySetting& b) {
  return a.key != 0 && a.key == b.key && ModifierSet(a) == ModifierSet(b);
}

int DuplicateHotKey(const HotKeySetting keys[3], const bool changed[3], int* other) {
  for (int later = 1; later < 3; ++later) {
    for (int earlier = 0; earlier < later; ++earlier) {
      if (!SameCombination(keys[earlier], keys[later]) || !(changed[earlier] || changed[later])) continue;
      int named = changed[later] ? later : earlier;
      *other = named == later ? earlier : later;
      return named;
    }
  }
  return -1;
}

int DecideFullScreenGuard(const GuardView& v) {
  if (v.guardOn == 0 || !v.hasForeground) return 0;
  if (!v.title || v.title[0] == '\0') return 0;
  for (const char* excluded : kGuardExclusions)
    if (strcmp(v.title, excluded) == 0) return 0;
  if (v.clientWidth >= v.screenWidth && v.clientHeight >= v.screenHeight) return 1;
  return v.visibleWindowAbove ? 0 : 1;
}
