// POSIX file layer, used by the native tests and tools.
#include "file_io.h"
#include "file_faults.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

FileFaults gFileFaults;

static bool Injected(int* countdown) {
  if (*countdown <= 0) return false;
  return --*countdown == 0;
}

static FileHandle OpenLocked(const char* path, int flags) {
  int fd = open(path, flags | O_RDWR | O_CLOEXEC, 0644);
  if (fd < 0) return kNoFile;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return kNoFile;
  }
  return fd;
}

FileHandle OpenRecordFile(const char* path) {
  if (Injected(&gFileFaults.failOpen)) return kNoFile;
  return OpenLocked(path, O_CREAT);
}

FileHandle CreateScratchFile(const char* path) {
  if (Injected(&gFileFaults.failOpen)) return kNoFile;
  FileHandle f = OpenLocked(path, O_CREAT);
  if (f != kNoFile && ftruncate(static_cast<int>(f), 0) != 0) {
    close(static_cast<int>(f));
    return kNoFile;
  }
  return f;
}

FileHandle OpenFileForReading(const char* path) {
  if (Injected(&gFileFaults.failOpen)) return kNoFile;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kNoFile;
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
    close(fd);
    return kNoFile;
  }
  return fd;
}

FileHandle OpenSharedForReading(const char* path) {
  if (Injected(&gFileFaults.failOpen)) return kNoFile;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  return fd < 0 ? kNoFile : fd;
}

void CloseFileHandle(FileHandle file) {
  if (file != kNoFile) close(static_cast<int>(file));
}

bool SeekTo(FileHandle file, int64_t offset) {
  return lseek(static_cast<int>(file), offset, SEEK_SET) == offset;
}

int64_t ReadBytes(FileHandle file, void* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    ssize_t got = read(static_cast<int>(file), static_cast<char*>(buffer) + done,
                       static_cast<size_t>(count - done));
    if (got < 0) return -1;
    if (got == 0) break;
    done += got;
  }
  return done;
}

int64_t ReadBytesAt(FileHandle file, int64_t offset, void* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    ssize_t got = pread(static_cast<int>(file), static_cast<char*>(buffer) + done, static_cast<size_t>(count - done),
                        static_cast<off_t>(offset + done));
    if (got < 0) return -1;
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool WriteBytes(FileHandle file, const void* buffer, int64_t count) {
  if (Injected(&gFileFaults.failWrite)) {
    // A write error: part of the data reaches the file, later writes work again.
    ssize_t partial = write(static_cast<int>(file), buffer, static_cast<size_t>(count / 2));
    (void)partial;
    return false;
  }
  if (gFileFaults.writeBudget >= 0) {
    // Simulates a crash or a full disk: only part of the data reaches the file.
    int64_t allowed = count < gFileFaults.writeBudget ? count : gFileFaults.writeBudget;
    gFileFaults.writeBudget -= allowed;
    if (allowed > 0 && write(static_cast<int>(file), buffer, static_cast<size_t>(allowed)) != allowed)
      return false;
    return allowed == count;
  }
  int64_t done = 0;
  while (done < count) {
    ssize_t put = write(static_cast<int>(file), static_cast<const char*>(buffer) + done,
                        static_cast<size_t>(count - done));
    if (put <= 0) return false;
    done += put;
  }
  return true;
}

int64_t FileSizeOf(FileHandle file) {
  struct stat st;
  if (fstat(static_cast<int>(file), &st) != 0) return -1;
  return st.st_size;
}

bool TruncateAt(FileHandle file, int64_t size) {
  return ftruncate(static_cast<int>(file), size) == 0;
}

bool FlushToDisk(FileHandle file) {
  if (Injected(&gFileFaults.failFlush)) return false;
  return fsync(static_cast<int>(file)) == 0;
}

bool RenameOver(const char* source, const char* target) {
  if (Injected(&gFileFaults.failRename)) return false;
  // Windows refuses to replace a file another process holds open; do the same here.
  int held = open(target, O_RDONLY | O_CLOEXEC);
  if (held >= 0) {
    bool busy = flock(held, LOCK_EX | LOCK_NB) != 0;
    close(held);
    if (busy) return false;
  }
  return rename(source, target) == 0;
}

bool RemoveFile(const char* path) { return unlink(path) == 0; }

bool PathExists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0;
}

bool ListDirectory(const char* folder, std::vector<DirEntry>* entries) {
  entries->clear();
  DIR* dir = opendir(folder);
  if (!dir) return false;
  while (const dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    struct stat st;
    // An entry that went between the listing and its stat is not there any more.
    if (name == "." || name == ".." || fstatat(dirfd(dir), e->d_name, &st, 0) != 0) continue;
    entries->push_back({name, S_ISDIR(st.st_mode), st.st_size,
                        static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
  }
  closedir(dir);
  return true;
}

std::string ListedNameOf(const char* path) {
  struct stat st;
  std::string_view name(path);
  return stat(path, &st) == 0 ? std::string(name.substr(name.find_last_of('/') + 1)) : std::string();
}

bool StatPath(const char* path, DirEntry* entry) {
  struct stat st;
  if (stat(path, &st) != 0) return false;
  *entry = {"", S_ISDIR(st.st_mode), st.st_size, static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
  return true;
}

bool MakeDirectory(const char* path) {
  struct stat st;
  return mkdir(path, 0755) == 0 || (errno == EEXIST && stat(path, &st) == 0 && S_ISDIR(st.st_mode));
}

bool CanWriteIn(const char* folder) { return access(folder, W_OK | X_OK) == 0; }

bool IsFullPath(const char* path) { return path[0] == '/'; }
