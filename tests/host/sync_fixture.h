// PCs sharing one sync folder, as the native tests drive them: each with a data folder of its
// own, its captures sent and what it collects recorded; and the measures the tests take.
#pragma once
#include <gtest/gtest.h>
#include <sanitizer/allocator_interface.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sealing_fixture.h"
#include "store/file_io.h"
#include "sync/day_files.h"
#include "sync/sealed_day_files.h"
#include "sync/sync_folder.h"
#include "temp_dir.h"

using Texts = std::vector<std::string>;
namespace fs = std::filesystem;

const CivilDate kDay1{2026, 12, 8}, kDay2{2026, 12, 9}, kDay3{2026, 12, 10};

// One sync folder (on a path with a space and Japanese characters) and a data folder per PC.
struct Pcs {
  TempDir root;
  std::string dir = root.File("sync 同期/");
  Pcs() { fs::create_directory(dir); }
  SyncStatus Start(SyncFolder* sync, const std::string& pc, const CivilDate& today = kDay1, std::string id = "",
                   const SealKey* key = nullptr) {
    fs::create_directory(root.File(pc));
    SyncConfig config{dir, pc, id.empty() ? "id-" + pc : id, 30, key != nullptr, key ? *key : SealKey()};
    return StartSync(sync, config, root.File(pc + "/"), today);
  }
  // The PC started with the key of the folder's passphrase.
  SyncStatus StartWith(SyncFolder* sync, const std::string& pc, const SealKey& key) {
    return Start(sync, pc, kDay1, "", &key);
  }
  // DIR\Pelmor.KEY for the key, as the first PC given a passphrase makes it; each one made here
  // with a time of its own, as another PC's would have.
  void Lock(const SealKey& key) {
    static int made = 0;
    KeyFile file;
    EXPECT_TRUE(KeyCheck(key, file.check));
    WriteFileBytes(dir + "Pelmor.KEY", KeyFileText(file));
    fs::last_write_time(dir + "Pelmor.KEY", fs::file_time_type() + std::chrono::seconds(++made));
  }
  // The texts of a PC's sealed day file that open at their places, as "texts (n refused)".
  std::string SealedTexts(const std::string& pc, const SealKey& key, const CivilDate& day = kDay1) {
    int32_t available, refused = 0;
    Texts texts;
    ReadPeerSealedDayFile(dir + pc + "/" + SealedDayFileName(day), SealedPlace(pc, day), key, 0, &available, &texts,
                          &refused);
    std::string read;
    for (const std::string& t : texts) read += t + " ";
    return read + "(" + std::to_string(refused) + " refused)";
  }
  // The PC's captures of that day, queued and flushed; the count left waiting.
  int Send(SyncFolder* sync, const Texts& texts, const CivilDate& day = kDay1) {
    for (const std::string& t : texts) EXPECT_TRUE(QueueCapture(sync, t));
    return FlushOutbox(sync, day);
  }
  // Every text collected, in order, each batch recorded and confirmed.
  Texts Collect(SyncFolder* sync, const CollectLimit& limit = {}) {
    Texts texts;
    for (const ImportBatch& batch : CollectImports(sync, limit)) {
      texts.insert(texts.end(), batch.texts.begin(), batch.texts.end());
      EXPECT_TRUE(ConfirmImport(sync, batch));
    }
    return texts;
  }
  // A PC's folder as another PC (or an earlier run) left it.
  void Folder(const std::string& pc, const std::string& id, const std::vector<std::string>& dayFiles) {
    fs::create_directory(dir + pc);
    WriteFileBytes(dir + pc + "/owner.id", id);
    for (const std::string& name : dayFiles) WriteFileBytes(dir + pc + "/" + name, RecordBytes({pc + " " + name}));
  }
};

// Every file and folder under the folder with its bytes, to show that nothing changed.
inline std::map<std::string, std::string> FilesUnder(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    files[e.path().string()] = e.is_directory() ? "(folder)" : ReadFileBytes(e.path().string());
  return files;
}

// The bytes the heap handed out while the work ran, freed or not: more than it ever held at once.
inline int64_t BytesAllocatedDuring(const std::function<void()>& work) {
  static int64_t allocated = 0;
  static bool hooked = __sanitizer_install_malloc_and_free_hooks(
      [](const volatile void*, size_t size) { allocated += static_cast<int64_t>(size); }, [](const volatile void*) {});
  EXPECT_TRUE(hooked);
  int64_t before = allocated;
  work();
  return allocated - before;
}
