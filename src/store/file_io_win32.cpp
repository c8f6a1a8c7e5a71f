// Win32 file layer: record files are opened without sharing, as the program has always done.
#include "file_io.h"

#include <windows.h>

static HANDLE AsHandle(FileHandle f) { return reinterpret_cast<HANDLE>(f); }

static FileHandle OpenWith(const char* path, DWORD disposition) {
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<FileHandle>(h);  // INVALID_HANDLE_VALUE is -1, i.e. kNoFile
}

FileHandle OpenRecordFile(const char* path) { return OpenWith(path, OPEN_ALWAYS); }

FileHandle CreateScratchFile(const char* path) { return OpenWith(path, CREATE_ALWAYS); }

FileHandle OpenFileForReading(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<FileHandle>(h);
}

FileHandle OpenSharedForReading(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<FileHandle>(h);
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
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) { return DeleteFileA(path) != 0; }

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool ListDirectory(const char* folder, std::vector<DirEntry>* entries) {
  entries->clear();
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((std::string(folder) + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty folder
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    entries->push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                        static_cast<int64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow,
                        static_cast<int64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 |
                            found.ftLastWriteTime.dwLowDateTime});
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return true;
}

bool StatPath(const char* path, DirEntry* entry) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
  *entry = {"", (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
            static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime};
  return true;
}

bool MakeDirectory(const char* path) {
  if (CreateDirectoryA(path, nullptr)) return true;
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
