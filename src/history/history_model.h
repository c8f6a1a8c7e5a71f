// The history as the program keeps it: the work file Pelmor.WK (held open for the whole run),
// the favorites file Pelmor.SAV, the row indexes that mirror both, and every rule that decides
// what is kept. It knows no window: the lists show its indexes, the clipboard code hands it the
// texts to record and takes the texts to paste from its indexes, and each operation answers
// with what changed in the rows.
#pragma once
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../store/history_files.h"
#include "../store/record_index.h"

enum class RecordList { kHistory, kFavorites };

// A record that the rewrite after a recording took out: where it lay, and where the record of
// the same text that was just recorded lies now (-1: none, it was cut for the cap).
struct DroppedRecord {
  RecordSpan span;
  int64_t recordedAgainAt = -1;
};

// What an operation did to the rows of a list.
struct ListChange {
  enum Kind { kUnchanged, kRowAdded, kReloaded };
  Kind kind = kUnchanged;
  int row = -1;  // kRowAdded: the row the new record shows in (-1 while a filter hides it)
  // A recording: the records of the history lie where they lay, except that the rewrite took
  // out these (in file order) and closed up behind them. False when the history had to be read
  // again from the file, or after any other operation: the records cannot be followed.
  bool followed = false;
  std::vector<DroppedRecord> dropped;
};

struct HistoryOptions {
  bool newestFirst = true;       // the file's last record is row 0
  bool dropDuplicates = false;   // a text recorded again removes its older records
  int maxCount = 0;              // the history's cap; 0: none
};

// The caps the options page accepts besides 0 (no cap).
constexpr int kMinMaxCount = 100, kMaxMaxCount = 1000000;
// True for a cap the options page takes: 0, or kMinMaxCount to kMaxMaxCount.
bool IsAcceptedCap(int64_t cap);
// The cap a setting stands for, also one written by hand: none at 0 or below, else the nearest
// that the page accepts, so that nothing is cut below the smallest cap it allows.
int CapOfSetting(int64_t maxCount);

// The records a delete confirmation is about, followed through every rewrite while it is open.
struct PendingDelete {
  bool open = false;
  RecordList list = RecordList::kHistory;
  std::vector<int64_t> positions;
};

// A rewrite of the work file whose file work runs on another thread (history_model.cpp).
struct RewriteJob;

struct HistoryModel {
  HistoryPaths paths;
  HistoryOptions options;
  FileHandle work = kNoFile;  // Pelmor.WK, held exclusively
  RowIndex history;           // mirrors the work file byte for byte while mirrored is true
  RowIndex favorites;         // Pelmor.SAV as last read or written
  bool mirrored = false;
  bool backedUp = false;      // this run has moved the saved history into the backup
  int64_t capRetryCount = 0;  // after a failed cut, the count at which it is tried again
  std::vector<std::string> purgeAgain;  // texts recorded again whose older records could not be taken out yet
  PendingDelete pendingDelete;
  std::vector<KeptCopy> keptCopies;  // damaged files kept whole before a repair: the user is told
  // When set, a rewrite of the work file is written on another thread while the rows show its
  // result at once, and this is called on that thread once it is written: the window thread then
  // calls FinishRewrite. Unset, each operation finishes its rewrite before it returns.
  std::function<void()> rewritten;
  std::future<int> opening;  // OpenHistory on another thread, while the program starts
  // The rewrite being written: the work file is still the one before it, with every record
  // recorded since appended, so a kill loses nothing. Last, so that it ends first.
  std::shared_ptr<RewriteJob> rewrite;
};

// The most records a capped history holds before its oldest go: the cap and a tenth more
// (at least 100), so that the rewrite that cuts it happens now and then, not at every capture.
int64_t HistoryLimit(int maxCount);

// Start-up: keeps a crashed run's history, prepares and opens the work file (emptied when
// bootInit is set), reads both files and cuts the history to its cap. 0, -101 (the work file
// cannot be opened) or -102 (it cannot be written); nothing else is touched on failure.
int OpenHistory(HistoryModel* model, const std::string& dataDir, int bootInit, const HistoryOptions& options);
// Start-up in two halves: OpenHistory on another thread while the windows are made, and the wait
// for its result, on the window thread, before the model is used (a thread of its own when none
// can be started: the second half opens it). Then the rewrites written beside the rows, with the
// callback that tells the window thread, and the filter's signatures on another thread.
void BeginOpeningHistory(HistoryModel* model, const std::string& dataDir, int bootInit, const HistoryOptions& options);
int FinishOpeningHistory(HistoryModel* model, std::function<void()> rewritten);

// Closes the work file, as a start-up that fails must (no rotation).
void CloseWorkFile(HistoryModel* model);
// Exit: closes the work file (a second call finds it closed) and rotates the history files,
// moving the saved history into the backup once a run.
void CloseHistory(HistoryModel* model);
// Opens the work file again when an earlier step left it closed; true when it is usable.
bool EnsureWorkFile(HistoryModel* model);
// Puts the rewrite written on another thread in place of the work file, with the records recorded
// meanwhile (waiting for it while it is still being written). True when it failed: the rows were
// read again from the work file (a delete confirmation still open then deletes nothing) and the
// lists must show them anew.
bool FinishRewrite(HistoryModel* model);

// Records a text at the end of the history, as a capture or a text from another PC does:
// older equal texts go when dropDuplicates is set, the oldest go when the cap is passed.
// 0, or -103 when it could not be written, -104 without the memory for it (nothing changed
// then).
int RecordText(HistoryModel* model, std::string_view text, ListChange* change);

// Records several texts in this order as one step, with the result of recording them one by
// one (a text that comes twice is kept once, as the later), in one append and one rewrite.
int RecordTexts(HistoryModel* model, const std::vector<std::string_view>& texts, ListChange* change);

// A delete confirmation opens for these records of the list (positions as the rows show them).
void BeginDelete(HistoryModel* model, RecordList list, const std::vector<int64_t>& positions);
// It closes: with confirmed, exactly the chosen records still there go. 0 when the file was
// rewritten, -1 when cancelled or nothing was left to delete or the file failed.
int FinishDelete(HistoryModel* model, bool confirmed, ListChange* change);

// Appends the history records at the positions, in the order given, to the favorites.
// 0, -1 (nothing to save), -101 (Pelmor.SAV cannot be opened), -102 (cannot be written).
int CopyToFavorites(HistoryModel* model, const std::vector<int64_t>& positions, ListChange* change);
// Reads Pelmor.SAV again (it is opened per operation; another program may have replaced it).
void ReloadFavorites(HistoryModel* model);

// The saved history of the last exit replaces this run's history (unchanged without one);
// or the history is emptied. A delete confirmation still open deletes nothing afterwards.
// 0, or -1 when the work file cannot be opened again (the history is then empty).
int RestoreSavedHistory(HistoryModel* model, ListChange* change);
int EmptyHistory(HistoryModel* model, ListChange* change);

// New options from the options sheet: the rows follow the order, a lowered cap cuts the history.
void ApplyHistoryOptions(HistoryModel* model, const HistoryOptions& options, ListChange* history,
                         ListChange* favorites);

// The rows that the history records at these positions before a recording show in after it:
// each follows its record, or the record that took its place when its text was recorded
// again; -1 for one that is gone, hidden by the filter, or cannot be followed.
std::vector<int> RowsAfterRecording(const HistoryModel& model, const ListChange& change,
                                    const std::vector<int64_t>& positionsBefore);

// The texts of the records at these positions of a list, in the order given; a position that
// is no record of the list gives nothing.
std::vector<std::string_view> TextsAt(const HistoryModel& model, RecordList list, const std::vector<int64_t>& positions);
