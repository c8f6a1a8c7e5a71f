// Two Pelmors with data folders of their own sharing a sync folder, as the end-to-end sync tests
// drive them: their settings, another PC's files as its engine delivers them, and the files a
// test compares before and after.
#pragma once
#include <algorithm>
#include <map>

#include "harness.h"

// "YYYYMMDD.PLM" of the local date so many days from today.
inline std::string DayFile(int days = 0) {
  SYSTEMTIME now;
  FILETIME time;
  GetLocalTime(&now);
  SystemTimeToFileTime(&now, &time);
  ULARGE_INTEGER t{{time.dwLowDateTime, time.dwHighDateTime}};
  t.QuadPart += static_cast<int64_t>(days) * 864000000000LL;  // 100 ns units
  time = {t.LowPart, t.HighPart};
  FileTimeToSystemTime(&time, &now);
  char day[16];
  snprintf(day, sizeof day, "%04d%02d%02d.PLM", now.wYear, now.wMonth, now.wDay);
  return day;
}

// A Linux path as Wine's drive Z: shows it.
inline std::string ZPath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

// The file held as a virus scanner or a backup holds it: no other program may open it meanwhile.
inline HANDLE Hold(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
}

// Every file and folder under the folder with its bytes (empty when held), to show that nothing
// changed.
inline void ListFilesUnder(const std::string& folder, std::map<std::string, std::string>* files) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found)) {
    std::string name = found.cFileName, path = folder + name;
    if (name == "." || name == "..") continue;
    bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    (*files)[path] = isFolder ? "(folder)" : ReadFileBytes(path);
    if (isFolder) ListFilesUnder(path + "\\", files);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}
inline std::map<std::string, std::string> FilesUnder(const std::string& folder) {
  std::map<std::string, std::string> files;
  ListFilesUnder(folder, &files);
  return files;
}

// The text as a program may write it: in the code page (when it holds it), UTF-8 and UTF-16.
inline std::vector<std::string> Encodings(const std::wstring& text) {
  std::vector<std::string> encodings{std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2)};
  for (UINT codePage : {932u, static_cast<UINT>(CP_UTF8)}) {
    BOOL lost = FALSE;
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                     static_cast<int>(bytes.size()), nullptr, codePage == 932 ? &lost : nullptr));
    if (!lost) encodings.push_back(bytes);
  }
  return encodings;
}
// The files (paths and bytes) in which any of the texts stands, in any of its encodings.
inline std::string FilesHolding(const std::map<std::string, std::string>& files, const std::vector<std::wstring>& texts) {
  std::string holding;
  for (const auto& [path, bytes] : files)
    for (const std::wstring& text : texts)
      for (const std::string& encoded : Encodings(text))
        if (bytes.find(encoded) != std::string::npos) holding += path + " ";
  return holding;
}

// The fields of the 「同期」 page a test sets; null: as they are.
struct SyncFields {
  const char *dir = nullptr, *name = nullptr, *days = nullptr, *pass = nullptr, *confirm = nullptr;
};
// A passphrase and its confirmation.
inline SyncFields Twice(const char* passphrase) { return {.pass = passphrase, .confirm = passphrase}; }
inline const std::string kAskedForPassphrase =
    "この同期フォルダは合言葉で保護されています。環境設定の「同期」ページで合言葉を入力してください。";

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
  // The PC's settings as the options page writes them (no ID: as written by hand).
  void Join(const Pelmor& p, const std::string& name, const std::string& id, const std::string& dir = "") {
    WriteFileBytes(p.File("Pelmor.ini"), "[OPTION]\r\nHOTKEY=0\r\n[SYNC]\r\nDIR=" + (dir.empty() ? folder : dir) +
                                             "\r\nNAME=" + name + (id.empty() ? "" : "\r\nID=" + id) + "\r\n");
  }
  static void Fill(HWND page, const SyncFields& f) {
    const std::pair<int, const char*> fields[] = {
        {1018, f.dir}, {1020, f.name}, {1021, f.days}, {1022, f.pass}, {1023, f.confirm}};
    for (auto [id, text] : fields)
      if (text) SetDlgItemTextA(page, id, text);
  }
  // The 「同期」 page opened from the options, the fields set, and OK pressed; true once the
  // sheet has closed.
  bool SetSyncPage(const Pelmor& p, const SyncFields& fields) {
    HWND sheet = OpenSheet(p), page = GoToPage(sheet, 4);
    if (page) Fill(page, fields);
    return page && CloseSheet(p, sheet, PSBTN_OK);
  }
  // OK on the open sheet's 「同期」 page with the fields set: the error it answers, or why not.
  std::string Refusal(const Pelmor& p, HWND sheet, HWND page, const SyncFields& fields) {
    Fill(page, fields);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    std::string text = p.Answer("ｴﾗｰ", IDOK);
    return Ask(sheet, PSM_GETCURRENTPAGEHWND) == reinterpret_cast<LRESULT>(page) ? text : "(the page left)";
  }
  // The tray menu's pause: from then on only an import can bring a text.
  bool Pause(const Pelmor& p) {
    p.Command(40005);
    return p.Flush();
  }
  bool Listed(const Pelmor& p, const Rows& rows, int ms = 5000) {
    return WaitUntil([&] { return p.Rows(kHistory) == rows; }, ms);
  }
  // Another PC's day file as its engine delivers it: written under another name, renamed into
  // place; the PC's folder may have a name the code page cannot hold.
  void Deliver(const std::wstring& peer, const std::string& bytes) {
    auto wide = [](const std::string& path) {
      wchar_t text[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, text, MAX_PATH);
      return std::wstring(text);
    };
    std::wstring peerFolder = wide(folder) + peer + L"\\";
    CreateDirectoryW(peerFolder.c_str(), nullptr);
    WriteFileBytes(folder + "delivered.tmp", bytes);
    MoveFileExW(wide(folder + "delivered.tmp").c_str(), (peerFolder + wide(DayFile())).c_str(),
                MOVEFILE_REPLACE_EXISTING);
  }
};
