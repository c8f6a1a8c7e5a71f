// Byte-level file access for the record store: one Win32 and one POSIX implementation.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;

// Read/write, no sharing with other processes, created empty when missing.
FileHandle OpenRecordFile(const char* path);
// Read/write, no sharing, always starts empty (an old file of that name is discarded).
FileHandle CreateScratchFile(const char* path);
// Read only, fails when the file is missing or another process holds it exclusively.
FileHandle OpenFileForReading(const char* path);
// Read only, sharing everything and locking nothing: for a file another program owns and may
// write, replace or delete while it is read (another PC's file in the sync folder).
FileHandle OpenSharedForReading(const char* path);
void CloseFileHandle(FileHandle file);

bool SeekTo(FileHandle file, int64_t offset);
// Returns the number of bytes read (short at end of file), or -1 on error.
int64_t ReadBytes(FileHandle file, void* buffer, int64_t count);
// The same from an offset, leaving the file position alone: several threads may read one file
// at once this way.
int64_t ReadBytesAt(FileHandle file, int64_t offset, void* buffer, int64_t count);
// Returns true only when every byte was written.
bool WriteBytes(FileHandle file, const void* buffer, int64_t count);
// Returns the size in bytes, or -1 when it cannot be read.
int64_t FileSizeOf(FileHandle file);
bool TruncateAt(FileHandle file, int64_t size);
bool FlushToDisk(FileHandle file);

// Copies source to target through a scratch name beside the target, flushed and
// renamed into place, so the target is either the old file or the whole new one.
bool CopyFileSafely(const char* source, const char* target, const char* scratch);
// The same from a file this program holds open (its position is left anywhere).
bool CopyOpenFileSafely(FileHandle source, const char* target, const char* scratch);
// Atomically puts source in place of target (target may exist).
bool RenameOver(const char* source, const char* target);
bool RemoveFile(const char* path);
bool PathExists(const char* path);

// One entry of a folder. modified is the platform's own time stamp, only compared with itself.
struct DirEntry {
  std::string name;
  bool isDirectory = false;
  int64_t size = 0;
  int64_t modified = 0;
};
// The entries of a folder, without "." and "..". folder ends in the path separator. False when
// it cannot be listed.
bool ListDirectory(const char* folder, std::vector<DirEntry>* entries);
// What the folder's listing would say of this one file or folder; false when it is not there.
bool StatPath(const char* path, DirEntry* entry);
// The name of this file or folder (no separator at its end) as its folder's listing shows it:
// Windows finds a name in any case, and the listing keeps the case it was made in. Empty when it
// is not there.
std::string ListedNameOf(const char* path);
// Makes a folder whose parent exists; true when the folder is there afterwards.
bool MakeDirectory(const char* path);
// True when files and folders may be made in the folder (asked of the system, nothing written).
bool CanWriteIn(const char* folder);
// True for a path that names the same place from any current folder (a drive and its root, a
// network share; on POSIX, from the root).
bool IsFullPath(const char* path);

// At most limit bytes of a file, read shared. False when it cannot be opened or read.
bool ReadWholeFile(const char* path, int64_t limit, std::string* bytes);
// Writes the bytes under the scratch name, flushed, and renames them into place, so the target
// is either the old file or the whole new one.
bool WriteFileSafely(const char* target, const char* scratch, std::string_view bytes);
