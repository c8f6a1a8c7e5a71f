// The parts of the file layer that are the same on every platform.
#include "file_io.h"

#include <algorithm>
#include <new>
#include <vector>

bool CopyFileSafely(const char* source, const char* target, const char* scratch) {
  FileHandle in = OpenFileForReading(source);
  if (in == kNoFile) return false;
  bool ok = CopyOpenFileSafely(in, target, scratch);
  CloseFileHandle(in);
  return ok;
}

bool CopyOpenFileSafely(FileHandle in, const char* target, const char* scratch) {
  int64_t size = FileSizeOf(in);
  FileHandle out = size >= 0 ? CreateScratchFile(scratch) : kNoFile;
  bool ok = out != kNoFile && SeekTo(in, 0);
  std::vector<char> block;
  try {
    block.resize(1 << 20);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  int64_t copied = 0;
  while (ok && copied < size) {
    int64_t got = ReadBytes(in, block.data(), static_cast<int64_t>(block.size()));
    if (got <= 0) break;
    ok = WriteBytes(out, block.data(), got);
    copied += got;
  }
  ok = ok && copied == size && FlushToDisk(out);
  if (out != kNoFile) CloseFileHandle(out);
  ok = ok && RenameOver(scratch, target);
  if (!ok) RemoveFile(scratch);
  return ok;
}

bool ReadWholeFile(const char* path, int64_t limit, std::string* bytes) {
  FileHandle file = OpenSharedForReading(path);
  if (file == kNoFile) return false;
  int64_t size = std::min(FileSizeOf(file), limit);
  bool ok = size >= 0;
  try {
    if (ok) bytes->resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  ok = ok && ReadBytes(file, bytes->data(), size) == size;
  CloseFileHandle(file);
  return ok;
}

bool WriteFileSafely(const char* target, const char* scratch, std::string_view bytes) {
  FileHandle out = CreateScratchFile(scratch);
  if (out == kNoFile) return false;
  bool ok = WriteBytes(out, bytes.data(), static_cast<int64_t>(bytes.size())) && FlushToDisk(out);
  CloseFileHandle(out);
  ok = ok && RenameOver(scratch, target);
  if (!ok) RemoveFile(scratch);
  return ok;
}
