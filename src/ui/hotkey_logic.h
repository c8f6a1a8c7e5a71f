// The pure rules of the global hot keys: modifier sets, hot-key control words and the
// full-screen guard's decision.
#pragma once
#include <cstdint>
#include <string>

// The same values as the platform's MOD_ALT, MOD_CONTROL and MOD_SHIFT.
constexpr unsigned kModAlt = 0x1, kModControl = 0x2, kModShift = 0x4;
// The modifier bits of a hot-key control word (HOTKEYF_ALT/CONTROL/SHIFT shifted by 8).
constexpr unsigned kWordAlt = 0x400, kWordControl = 0x200, kWordShift = 0x100;

struct HotKeySetting {
  int alt, ctl, sft, key;
};

unsigned ModifierSet(const HotKeySetting& h);
// The control word for a setting: 0 when the key code is 0 (an empty control).
uint16_t PackHotKeyWord(const HotKeySetting& h);
// The setting a control word stands for; 0 gives all zeros, modifiers alone give key 0.
HotKeySetting UnpackHotKeyWord(uint32_t word);
// The combination as the user reads it, e.g. "Ctrl+Alt+Shift+Q", given the key's name.
std::string HotKeyText(const HotKeySetting& h, const std::string& keyName);

// Two of the three keys (list, pause, menu) on one combination, one of them changed by the user:
// the changed one is answered (the later, when both changed) with the other in *other; -1 when
// there is none. An empty key, or modifiers alone, is no combination.
int DuplicateHotKey(const HotKeySetting keys[3], const bool changed[3], int* other);

// What the guard sees of the desktop.
struct GuardView {
  int guardOn;              // HOTKEY
  bool hasForeground;
  const char* title;        // the foreground window's title
  long clientWidth, clientHeight;
  long screenWidth, screenHeight;
  bool visibleWindowAbove;  // a visible window lies above it in the Z order
};

// 1 when a hot key is to be swallowed, else 0.
int DecideFullScreenGuard(const GuardView& view);
