#include "settings.h"

#include <objbase.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "app_state.h"

namespace {

struct SettingEntry {
  const char* section;
  const char* key;
  int SettingsRecord::*field;
  int defaultValue;
};

// Key order is the save order of the file.
const SettingEntry kSettingTable[] = {
    {"WINDOW", "FLAG", &SettingsRecord::FLAG, 0},
    {"WINDOW", "TAB", &SettingsRecord::TAB, 0},
    {"WINDOW", "X", &SettingsRecord::X, 0},
    {"WINDOW", "Y", &SettingsRecord::Y, 0},
    {"WINDOW", "WIDTH", &SettingsRecord::WIDTH, 300},
    {"WINDOW", "HEIGHT", &SettingsRecord::HEIGHT, 300},
    {"OPTION", "BOOTINIT", &SettingsRecord::BOOTINIT, 0},
    {"OPTION", "SELINDEX", &SettingsRecord::SELINDEX, 1},
    {"OPTION", "ADDFLG", &SettingsRecord::ADDFLG, 1},
    {"OPTION", "OVERLAP", &SettingsRecord::OVERLAP, 0},
    {"OPTION", "ESCKEY", &SettingsRecord::ESCKEY, 1},
    {"OPTION", "HOTKEY", &SettingsRecord::HOTKEY, 1},
    {"OPTION", "ONHOTALT", &SettingsRecord::ONHOTALT, 1},
    {"OPTION", "ONHOTCTL", &SettingsRecord::ONHOTCTL, 0},
    {"OPTION", "ONHOTSFT", &SettingsRecord::ONHOTSFT, 0},
    {"OPTION", "ONHOTKEY", &SettingsRecord::ONHOTKEY, 49},
    {"OPTION", "OFFHOTALT", &SettingsRecord::OFFHOTALT, 1},
    {"OPTION", "OFFHOTCTL", &SettingsRecord::OFFHOTCTL, 0},
    {"OPTION", "OFFHOTSFT", &SettingsRecord::OFFHOTSFT, 0},
    {"OPTION", "OFFHOTKEY", &SettingsRecord::OFFHOTKEY, 50},
    {"OPTION", "MENUHOTALT", &SettingsRecord::MENUHOTALT, 1},
    {"OPTION", "MENUHOTCTL", &SettingsRecord::MENUHOTCTL, 0},
    {"OPTION", "MENUHOTSFT", &SettingsRecord::MENUHOTSFT, 0},
    {"OPTION", "MENUHOTKEY", &SettingsRecord::MENUHOTKEY, 48},
    {nullptr, nullptr, nullptr, 0},
};

constexpr int kGeometryEntries = 6;  // FLAG, TAB, X, Y, WIDTH, HEIGHT

void SettingsPath(char* path) { MakeDataPath("Pelmor.ini", path); }

}  // namespace

// A cap is a setting some users make: an INI without it stays as it is.
static void LoadMaxCount(const char* path) {
  char value[16];
  GetPrivateProfileStringA("OPTION", "MAXCOUNT", "", value, sizeof value, path);
  Settings.MaxCountStored = value[0] != '\0';
  Settings.MAXCOUNT = static_cast<int>(GetPrivateProfileIntA("OPTION", "MAXCOUNT", 0, path));
}

static void LoadSyncSettings(const char* path) {
  auto& sync = Settings.SYNC;
  GetPrivateProfileStringA("SYNC", "DIR", "", sync.DIR, sizeof sync.DIR, path);
  GetPrivateProfileStringA("SYNC", "NAME", "", sync.NAME, sizeof sync.NAME, path);
  GetPrivateProfileStringA("SYNC", "ID", "", sync.ID, sizeof sync.ID, path);
  GetPrivateProfileStringA("SYNC", "KEY", "", sync.KEY, sizeof sync.KEY, path);
  sync.KEEPDAYS = static_cast<int>(GetPrivateProfileIntA("SYNC", "KEEPDAYS", 30, path));
}

void LoadSettings() {
  char path[kPathSize];
  SettingsPath(path);
  for (const SettingEntry* e = kSettingTable; e->section; ++e) {
    int index = static_cast<int>(e - kSettingTable);
    bool geometry = index >= 2 && index < kGeometryEntries;
    // Without FLAG the stored geometry is not read at all.
    if (geometry && Settings.FLAG == 0)
      Settings.*e->field = e->defaultValue;
    else
      Settings.*e->field =
          static_cast<int>(GetPrivateProfileIntA(e->section, e->key, e->defaultValue, path));
  }
  LoadMaxCount(path);
  LoadSyncSettings(path);
}

void SaveSettings() {
  char path[kPathSize];
  SettingsPath(path);
  for (const SettingEntry* e = kSettingTable; e->section; ++e) {
    char value[16];
    snprintf(value, sizeof value, "%d", Settings.*e->field);
    WritePrivateProfileStringA(e->section, e->key, value, path);  // failures are not reported
  }
  if (Settings.MAXCOUNT != 0 || Settings.MaxCountStored) {
    char value[16];
    snprintf(value, sizeof value, "%d", Settings.MAXCOUNT);
    WritePrivateProfileStringA("OPTION", "MAXCOUNT", value, path);
  }
}

HistoryOptions HistoryOptionsFromSettings() {
  return {Settings.ADDFLG != 0, Settings.OVERLAP == 1, Settings.MAXCOUNT};  // the model reads the cap
}

void ReadEditorPath(const char* defaultValue, char* path, size_t size) {
  char ini[kPathSize];
  SettingsPath(ini);
  GetPrivateProfileStringA("TEXT", "PATH", defaultValue, path, static_cast<DWORD>(size), ini);
}

void WriteEditorPath(const char* path) {
  char ini[kPathSize];
  SettingsPath(ini);
  WritePrivateProfileStringA("TEXT", "PATH", path, ini);
}

void WriteSyncSettings(bool keyWasSet) {
  char ini[kPathSize], days[16];
  SettingsPath(ini);
  snprintf(days, sizeof days, "%d", Settings.SYNC.KEEPDAYS);
  WritePrivateProfileStringA("SYNC", "DIR", Settings.SYNC.DIR, ini);
  WritePrivateProfileStringA("SYNC", "NAME", Settings.SYNC.NAME, ini);
  WritePrivateProfileStringA("SYNC", "KEEPDAYS", days, ini);
  WritePrivateProfileStringA("SYNC", "ID", Settings.SYNC.ID, ini);
  // Written once a passphrase is given; gone with the folder it was for.
  if (Settings.SYNC.KEY[0] != '\0' || keyWasSet)
    WritePrivateProfileStringA("SYNC", "KEY", Settings.SYNC.KEY[0] != '\0' ? Settings.SYNC.KEY : nullptr, ini);
}

std::string NewSyncId() {
  GUID guid = {};
  CoCreateGuid(&guid);
  char id[40];
  snprintf(id, sizeof id, "%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", guid.Data1, guid.Data2, guid.Data3,
           guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
           guid.Data4[7]);
  return id;
}

bool EnsureSyncId() {
  auto& sync = Settings.SYNC;
  if (sync.DIR[0] == '\0' || sync.ID[0] != '\0') return true;
  char ini[kPathSize];
  SettingsPath(ini);
  lstrcpynA(sync.ID, NewSyncId().c_str(), sizeof sync.ID);
  // Only the ID is added: the rest of the section stays as its writer left it. An ID that
  // cannot be kept would be another at the next start, and this PC would clash with itself.
  if (WritePrivateProfileStringA("SYNC", "ID", sync.ID, ini)) return true;
  sync.ID[0] = '\0';
  return false;
}

std::string SyncPcName(const SettingsRecord& settings) {
  if (settings.SYNC.NAME[0]) return settings.SYNC.NAME;
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  GetComputerNameA(computer, &size);
  return computer;
}

SyncConfig SyncConfigOf(const SettingsRecord& settings) {
  SyncConfig config;
  if (settings.SYNC.DIR[0] == '\0') return config;  // off
  char dir[kPathSize];
  lstrcpynA(dir, settings.SYNC.DIR, kPathSize);
  AddTrailingBackslash(dir);
  config.dir = dir;
  config.name = SyncPcName(settings);
  config.id = settings.SYNC.ID;
  config.keepDays = settings.SYNC.KEEPDAYS;
  return config;
}
