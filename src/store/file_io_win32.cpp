// Win32 file layer: record files are opened without sharing, as the program has always done.
// Paths go to the system in UTF-16, so that a name the code page cannot hold (another PC's
// folder named in Korean, say) is listed and opened exactly: such a character is written
// "?XXXX" (its UTF-16 unit in hex) in the program's code page paths. No name can hold a '?', and
// every other name keeps the code page bytes the ANSI functions give.
#include "file_io.h"

#include <windows.h>

#include <cstdio>

namespace {

HANDLE AsHandle(FileHandle f) { return reinterpret_cast<HANDLE>(f); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The path as the system's wide functions take it. '?' is never a second byte, so the code
// page runs between escapes convert on their own.
std::wstring WidePath(const char* path) {
  std::wstring wide;
  const char* run = path;
  auto flush = [&](const char* end) {
    int n = static_cast<int>(end - run);
    if (n <= 0) return;
    size_t at = wide.size();
    wide.resize(at + static_cast<size_t>(n));  // never more characters than bytes
    wide.resize(at + static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, run, n, wide.data() + at, n)));
  };
  const char* p = path;
  for (; *p; ++p) {
    int d[4];
    bool escape = *p == '?';
    for (int i = 0; i < 4 && escape; ++i) escape = (d[i] = HexDigit(p[1 + i])) >= 0;  // stops at the end
    if (!escape) continue;
    flush(p);
    wide += static_cast<wchar_t>(d[0] << 12 | d[1] << 8 | d[2] << 4 | d[3]);
    run = p + 5;
    p += 4;
  }
  flush(p);
  return wide;
}

// A name from the system in the code page, each character it cannot hold written "?XXXX".
std::string NarrowName(const wchar_t* name) {
  std::string narrow;
  for (const wchar_t* c = name; *c; ++c) {
    char bytes[8];
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, c, 1, bytes, sizeof bytes, nullptr, &lost);
    if (n <= 0 || lost) n = snprintf(bytes, sizeof bytes, "?%04X", static_cast<unsigned>(*c));
    narrow.append(bytes, static_cast<size_t>(n));
  }
  return narrow;
}

FileHandle OpenWith(const char* path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE h = CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<FileHandle>(h);  // INVALID_HANDLE_VALUE is -1, i.e. kNoFile
}

DWORD AttributesOf(const char* path) { return GetFileAttributesW(WidePath(path).c_str()); }

}  // namespace

FileHandle OpenRecordFile(const char* path) { return OpenWith(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS); }

FileHandle CreateScratchFile(const char* path) {
  return OpenWith(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
}

FileHandle OpenFileForReading(const char* path) { return OpenWith(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING); }

FileHandle OpenSharedForReading(const char* path) {
  return OpenWith(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
}
void CloseFileHandle(FileHandle file) {
  if (file != kNoFile) CloseHandle(AsHandle(file));
}

bool SeekTo(FileHandle file, int64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  return SetFilePointerEx(AsHandle(file), to, nullptr, FILE_BEGIN) != 0;
}

int64_t ReadBytes(FileHandle file, void* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    DWORD want = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
    DWORD got = 0;
    if (!ReadFile(AsHandle(file), static_cast<char*>(buffer) + done, want, &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  return done;
}

int64_t ReadBytesAt(FileHandle file, int64_t offset, void* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    DWORD want = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
    DWORD got = 0;
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset + done) & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset + done) >> 32);
    if (!ReadFile(AsHandle(file), static_cast<char*>(buffer) + done, want, &got, &at))
      return GetLastError() == ERROR_HANDLE_EOF ? done : -1;
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool WriteBytes(FileHandle file, const void* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    DWORD want = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
    DWORD put = 0;
    if (!WriteFile(AsHandle(file), static_cast<const char*>(buffer) + done, want, &put, nullptr) ||
        put == 0)
      return false;
    done += put;
  }
  return true;
}

int64_t FileSizeOf(FileHandle file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(AsHandle(file), &size)) return -1;
  return size.QuadPart;
}

bool TruncateAt(FileHandle file, int64_t size) {
  return SeekTo(file, size) && SetEndOfFile(AsHandle(file)) != 0;
}

bool FlushToDisk(FileHandle file) { return FlushFileBuffers(AsHandle(file)) != 0; }

bool RenameOver(const char* source, const char* target) {
  return MoveFileExW(WidePath(source).c_str(), WidePath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

bool PathExists(const char* path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool ListDirectory(const char* folder, std::vector<DirEntry>* entries) {
  entries->clear();
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((WidePath(folder) + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty folder
  do {
    std::string name = NarrowName(found.cFileName);
    if (name == "." || name == "..") continue;
    entries->push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                        static_cast<int64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow,
                        static_cast<int64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 |
                            found.ftLastWriteTime.dwLowDateTime});
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return true;
}

std::string ListedNameOf(const char* path) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(WidePath(path).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return {};
  FindClose(find);
  return NarrowName(found.cFileName);
}

bool StatPath(const char* path, DirEntry* entry) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  *entry = {"", (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
            static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime};
  return true;
}

bool MakeDirectory(const char* path) {
  if (CreateDirectoryW(WidePath(path).c_str(), nullptr)) return true;
  DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CanWriteIn(const char* folder) {
  // The folder opened for adding files and folders: the system checks the rights, and nothing
  // is made.
  HANDLE h = CreateFileW(WidePath(folder).c_str(), FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool IsFullPath(const char* path) {
  bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':' &&
               (path[2] == '\\' || path[2] == '/');
  return drive || (path[0] == '\\' && path[1] == '\\');
}
