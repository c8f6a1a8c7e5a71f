#include "record_index.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>

#include "record_text.h"
#include "text_search.h"

struct SignatureJob {
  const char* bytes = nullptr;  // the index's bytes, which stay as they are until it is finished
  int64_t from = 0, size = 0;   // the records from the one at this position to the end
  std::vector<uint64_t> signatures;  // theirs, in file order, as far as it got
  std::atomic<bool> done{false}, stop{false};
  std::thread worker;
  ~SignatureJob() {
    stop = true;
    if (worker.joinable()) worker.join();
  }
};

namespace {

constexpr int32_t kLongRecord = 1 << 16;  // a row never reads so far

// Takes in a record found in the bytes: a long one's exact text is looked for once, here.
void AddSpan(RowIndex* index, int64_t position, int32_t length) {
  index->records.push_back({position, length});
  RecordSpan& record = index->records.back();
  if (length > kLongRecord) record.exactStart = static_cast<int32_t>(ExactTextStart(TextOf(*index, record)));
}

int32_t LengthAt(const ByteBuffer& bytes, int64_t position) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[static_cast<size_t>(position) + i]);
  return static_cast<int32_t>(v);
}

// Takes in the records that lie whole in the first `read` bytes of a file of `size` bytes, from
// *position on. False once damage ends the walk (as the file walk finds it: what follows goes, as
// settling the file drops it).
bool WalkRecords(RowIndex* index, int64_t* position, int64_t read, int64_t size) {
  while (*position + 4 <= read) {
    int32_t length = LengthAt(index->bytes, *position);
    if (length < 0 || length > size - *position - 4) return false;
    if (*position + 4 + length > read) break;  // its text is still being read
    AddSpan(index, *position, length);
    *position += 4 + static_cast<int64_t>(length);
  }
  return true;
}

// Reads one piece of the file into the bytes, at its offset. Its pages are touched first: the
// system then reads into memory that is there (under Wine a read into fresh pages costs half as
// much again as touching them and reading).
bool ReadPiece(FileHandle file, char* out, int64_t from, int64_t count) {
  constexpr int64_t kPage = 4096;
  for (int64_t page = 0; page < count; page += kPage) out[from + page] = 0;
  return ReadBytesAt(file, from, out + from, count) == count;
}

// Reads the file's size bytes into the index and takes in its records. A large file is read on
// both cores, and each piece is walked right after it arrives, while it is still in the cache: the
// second core reads two pieces of every three, the first one and walks them all. The index ends
// after the last complete record before any damage.
bool ReadAndIndex(FileHandle file, RowIndex* index, int64_t size) {
  constexpr int64_t kPiece = 4 << 20, kSplitFrom = 2 * kPiece;
  const int64_t pieces = (size + kPiece - 1) / kPiece;
  char* out = index->bytes.data();
  auto pieceSize = [&](int64_t piece) { return std::min(kPiece, size - piece * kPiece); };
  auto readBySecond = [](int64_t piece) { return piece % 3 != 0; };
  std::atomic<int64_t> secondNext{1};  // the second core has read its pieces before this one
  std::atomic<bool> secondFailed{false}, stop{false};
  std::thread second;
  try {
    if (size >= kSplitFrom)
      second = std::thread([&] {
        for (int64_t piece = 1; piece < pieces && !stop.load(); ++piece) {
          if (!readBySecond(piece)) continue;
          if (!ReadPiece(file, out, piece * kPiece, pieceSize(piece))) return secondFailed.store(true);
          secondNext.store(piece + 1, std::memory_order_release);
        }
      });
  } catch (const std::system_error&) {
  }
  struct Joiner {  // also when taking in a record throws: the thread writes into the bytes
    std::thread& thread;
    std::atomic<bool>& stop;
    ~Joiner() {
      stop.store(true);
      if (thread.joinable()) thread.join();
    }
  } joiner{second, stop};
  int64_t position = kFirstRecordPosition;
  bool walking = true;
  for (int64_t piece = 0; piece < pieces; ++piece) {
    if (!readBySecond(piece) || !second.joinable()) {
      if (!ReadPiece(file, out, piece * kPiece, pieceSize(piece))) return false;
    } else {
      while (secondNext.load(std::memory_order_acquire) <= piece && !secondFailed.load()) std::this_thread::yield();
      if (secondFailed.load()) return false;
    }
    if (walking) walking = WalkRecords(index, &position, piece * kPiece + pieceSize(piece), size);
  }
  index->bytes.resize(static_cast<size_t>(std::min(position, size)));
  return true;
}

// Signs the records of the job's bytes from the first on, until told to stop.
void Sign(SignatureJob* job) {
  try {
    for (int64_t position = job->from; position + 4 <= job->size && !job->stop.load();) {
      uint32_t length = 0;
      for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(job->bytes[position + i]);
      if (length > static_cast<uint64_t>(job->size - position - 4)) break;
      job->signatures.push_back(ByteKindsOf(std::string_view(job->bytes + position + 4, length)));
      position += 4 + static_cast<int64_t>(length);
    }
  } catch (const std::bad_alloc&) {  // the ones made so far are good
  }
  job->done = true;
}

// The kinds of byte a record must hold to hold the filter: those of its code page text and of its
// UTF-8 text (either may be the one searched), or of the UTF-8 one alone.
uint64_t KindsNeeded(const RowFilter& filter) {
  uint64_t utf8 = ByteKindsOf(filter.utf8);
  return filter.inCodePage ? utf8 & ByteKindsOf(filter.codePage) : utf8;
}

// What the filter looks at: the text as the list shows it, the exact one when there is one. The
// code page text is searched in the pass that finds where it ends: each text is read once.
bool HoldsFilter(const RowIndex& index, const RecordSpan& record) {
  std::string_view text = TextOf(index, record), exact;
  size_t zero = text.size();
  bool found = index.filter.inCodePage ? ContainsBeforeZero(text, index.filter.codePage, &zero)
                                       : (zero = static_cast<size_t>(FindByte(text.data(), text.data() + text.size(), '\0') - text.data()), false);
  if (zero != text.size() && ExactText(text, &exact)) return ContainsText(exact, index.filter.utf8, kUtf8);
  return found;
}

// The records of [from, to) among the candidates (all records without them) that hold the filter.
void MatchRange(const RowIndex& index, const std::vector<int32_t>* candidates, size_t from, size_t to,
                std::vector<int32_t>* matches) {
  const uint64_t needed = KindsNeeded(index.filter);
  const std::vector<uint64_t>& signatures = index.signatures;
  for (size_t i = from; i < to; ++i) {
    int32_t ordinal = candidates ? (*candidates)[i] : static_cast<int32_t>(i);
    if (static_cast<size_t>(ordinal) < signatures.size() && (signatures[static_cast<size_t>(ordinal)] & needed) != needed)
      continue;
    if (HoldsFilter(index, index.records[static_cast<size_t>(ordinal)])) matches->push_back(ordinal);
  }
}

// The place of a record, or of a match, in file order; -1 when not there.
int OrdinalOf(const RowIndex& index, int64_t position) {
  auto record = std::lower_bound(index.records.begin(), index.records.end(), position,
                                 [](const RecordSpan& s, int64_t p) { return s.position < p; });
  if (record == index.records.end() || record->position != position) return -1;
  int32_t ordinal = static_cast<int32_t>(record - index.records.begin());
  if (index.filter.utf8.empty()) return ordinal;
  auto match = std::lower_bound(index.matches.begin(), index.matches.end(), ordinal);
  return match != index.matches.end() && *match == ordinal ? static_cast<int>(match - index.matches.begin()) : -1;
}

}  // namespace

bool LoadRowIndex(FileHandle file, RowIndex* index) {
  index->signing.reset();  // stopped: the bytes are read anew
  index->signatures.clear();
  index->bytes.clear();
  index->records.clear();
  index->matches.clear();
  const RowFilter filter = index->filter;
  try {
    int64_t size = FileSizeOf(file);
    // Room for the captures of a while, so that each does not copy the whole history.
    if (size >= 0) index->bytes.reserve(static_cast<size_t>(size + size / 8 + 65536));
    if (size >= 0) index->bytes.resize(static_cast<size_t>(size));
    // As many records as the count says, within what the file could hold of texts of some size.
    if (size >= 4 && ReadBytesAt(file, 0, index->bytes.data(), 4) == 4)
      index->records.reserve(std::min<size_t>(static_cast<uint32_t>(LengthAt(index->bytes, 0)), size / 16));
    if (size < 0 || !ReadAndIndex(file, index, size)) {
      index->bytes.clear();
      index->records.clear();
      return false;
    }
    index->filter = {};  // searched again: the records are new
    SetRowFilter(index, filter);
  } catch (const std::bad_alloc&) {
    // Without the memory for the whole file the list shows nothing rather than a part.
    index->bytes.release();
    index->records = {};
    index->matches = {};
    index->filter = filter;
    return false;
  }
  return true;
}

int RowCount(const RowIndex& index) {
  return static_cast<int>(index.filter.utf8.empty() ? index.records.size() : index.matches.size());
}

const RecordSpan* RecordOfRow(const RowIndex& index, int row) {
  int count = RowCount(index);
  if (row < 0 || row >= count) return nullptr;
  int place = index.newestFirst ? count - 1 - row : row;
  return &index.records[static_cast<size_t>(index.filter.utf8.empty() ? place : index.matches[place])];
}

std::string_view TextOf(const RowIndex& index, const RecordSpan& record) {
  return std::string_view(index.bytes).substr(static_cast<size_t>(record.position + 4),
                                              static_cast<size_t>(record.length));
}

size_t ExactStartOf(const RowIndex& index, const RecordSpan& record) {
  return record.exactStart >= 0 ? static_cast<size_t>(record.exactStart)
                                : ExactTextStart(TextOf(index, record));
}

int RowOfPosition(const RowIndex& index, int64_t position) {
  int place = OrdinalOf(index, position);
  if (place < 0) return -1;
  return index.newestFirst ? RowCount(index) - 1 - place : place;
}

int AddRecordToIndex(RowIndex* index, int64_t position, const char* text, int32_t length) {
  // The index mirrors the file byte for byte: a record appended elsewhere would put every
  // later text at the wrong place.
  if (position != static_cast<int64_t>(index->bytes.size()) || length < 0) return -2;
  char header[4];
  for (int i = 0; i < 4; ++i) header[i] = static_cast<char>((static_cast<uint32_t>(length) >> (8 * i)) & 0xFF);
  if (index->bytes.size() + 4 + static_cast<size_t>(length) > index->bytes.capacity()) FinishSigning(index);
  index->bytes.append(header, 4).append(text, static_cast<size_t>(length));
  AddSpan(index, position, length);
  if (index->signatures.size() + 1 == index->records.size())
    index->signatures.push_back(ByteKindsOf(std::string_view(text, static_cast<size_t>(length))));
  const uint32_t count = static_cast<uint32_t>(index->records.size());  // as the file's count now says
  for (int i = 0; i < 4; ++i) index->bytes[static_cast<size_t>(i)] = static_cast<char>((count >> (8 * i)) & 0xFF);
  if (!index->filter.utf8.empty()) {
    if (!HoldsFilter(*index, index->records.back())) return -1;
    index->matches.push_back(static_cast<int32_t>(index->records.size() - 1));
  }
  return index->newestFirst ? 0 : RowCount(*index) - 1;
}

void SetRowFilter(RowIndex* index, const RowFilter& filter, int cores) {
  // Typing on narrows what is shown already: a record that holds the longer text holds
  // the shorter one at the same place.
  const std::string& old = index->filter.utf8;
  if (filter.utf8 == old && filter.codePage == index->filter.codePage && filter.inCodePage == index->filter.inCodePage)
    return;  // the rows hold it already
  bool narrower = !old.empty() && filter.utf8.size() > old.size() && filter.utf8.compare(0, old.size(), old) == 0;
  std::vector<int32_t> candidates;
  if (narrower) candidates.swap(index->matches);
  index->filter = filter;
  index->matches.clear();
  if (filter.utf8.empty()) return;
  if (index->signing && index->signing->done.load()) FinishSigning(index);
  const size_t count = narrower ? candidates.size() : index->records.size();
  const std::vector<int32_t>* from = narrower ? &candidates : nullptr;
  // A long list is searched in parts, one on each core, each part's matches in file order.
  constexpr size_t kSplitFrom = 20000;
  size_t parts = cores > 0 ? static_cast<size_t>(cores) : count >= kSplitFrom ? 2 : 1;
  parts = std::clamp<size_t>(parts, 1, std::max<size_t>(count, 1));
  std::vector<std::vector<int32_t>> found(parts);
  std::vector<std::thread> helpers;
  std::vector<std::exception_ptr> failures(parts);
  auto search = [&](size_t part) {
    try {
      MatchRange(*index, from, count * part / parts, count * (part + 1) / parts, &found[part]);
    } catch (...) {
      failures[part] = std::current_exception();
    }
  };
  helpers.reserve(parts);
  for (size_t part = 1; part < parts; ++part) {
    try {
      helpers.emplace_back(search, part);
    } catch (const std::system_error&) {
      search(part);  // without a thread, here
    }
  }
  search(0);
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  if (parts == 1) return index->matches.swap(found[0]);
  size_t total = 0;
  for (const auto& part : found) total += part.size();
  index->matches.reserve(total);
  for (const auto& part : found) index->matches.insert(index->matches.end(), part.begin(), part.end());
}

void SignRecords(RowIndex* index, bool beside) {
  const size_t from = index->signatures.size();
  if (index->signing || from >= index->records.size()) return;  // one being made is taken in later
  std::shared_ptr<SignatureJob> job;
  try {
    job = std::make_shared<SignatureJob>();
  } catch (const std::bad_alloc&) {
    return;  // the filter reads every text, as without them
  }
  job->bytes = index->bytes.data();
  job->from = index->records[from].position;
  job->size = static_cast<int64_t>(index->bytes.size());
  index->signing = job;
  if (beside) {
    try {
      job->worker = std::thread(Sign, job.get());
      return;
    } catch (const std::system_error&) {  // without a thread, here
    }
  }
  Sign(job.get());
  FinishSigning(index);
}

void FinishSigning(RowIndex* index) {
  std::shared_ptr<SignatureJob> job = std::move(index->signing);
  if (!job) return;
  job->stop = true;
  if (job->worker.joinable()) job->worker.join();
  // It signed records that were there when it began, from the first without a signature on;
  // those recorded since are signed when the next one begins.
  size_t room = index->records.size() - std::min(index->signatures.size(), index->records.size());
  size_t taken = std::min(job->signatures.size(), room);
  try {
    index->signatures.insert(index->signatures.end(), job->signatures.begin(), job->signatures.begin() + taken);
  } catch (const std::bad_alloc&) {  // as far as it had them
  }
}

std::vector<int64_t> FindEqualRecords(const RowIndex& index, std::string_view text, int64_t keepPosition) {
  std::vector<int64_t> found;
  for (const RecordSpan& record : index.records)
    if (record.position != keepPosition && static_cast<size_t>(record.length) == text.size() &&
        TextOf(index, record) == text)
      found.push_back(record.position);
  return found;
}
