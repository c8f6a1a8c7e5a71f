#include "record_index.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "record_text.h"
#include "text_search.h"

namespace {

constexpr int32_t kLongRecord = 1 << 16;  // a row never reads so far

// Takes in a record found in the bytes: a long one's exact text is looked for once, here.
void AddSpan(RowIndex* index, int64_t position, int32_t length) {
  index->records.push_back({position, length});
  RecordSpan& record = index->records.back();
  if (length > kLongRecord) record.exactStart = static_cast<int32_t>(ExactTextStart(TextOf(*index, record)));
}

int32_t LengthAt(const std::string& bytes, int64_t position) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[static_cast<size_t>(position) + i]);
  return static_cast<int32_t>(v);
}

// The complete records of the bytes, up to the first damage (as the file walk finds them);
// what follows them is dropped, as settling the file drops it.
void IndexRecords(RowIndex* index) {
  const int64_t size = static_cast<int64_t>(index->bytes.size());
  int64_t position = kFirstRecordPosition;
  while (position + 4 <= size) {
    int32_t length = LengthAt(index->bytes, position);
    if (length < 0 || length > size - position - 4) break;
    AddSpan(index, position, length);
    position += 4 + static_cast<int64_t>(length);
  }
  index->bytes.resize(static_cast<size_t>(std::min(position, size)));
}

// What the filter looks at: the text as the list shows it, the exact one when there is one.
bool HoldsFilter(const RowIndex& index, const RecordSpan& record) {
  std::string_view text = TextOf(index, record), exact;
  // Most texts hold no zero byte: one look for it tells both what to search and where.
  const char* zero = FindByte(text.data(), text.data() + text.size(), '\0');
  if (zero != text.data() + text.size() && ExactText(text, &exact)) return ContainsText(exact, index.filter.utf8, kUtf8);
  return index.filter.inCodePage && ContainsText(text.substr(0, static_cast<size_t>(zero - text.data())), index.filter.codePage);
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
  index->bytes.clear();
  index->records.clear();
  index->matches.clear();
  try {
    int64_t size = FileSizeOf(file);
    // Room for the captures of a while, so that each does not copy the whole history.
    if (size >= 0) index->bytes.reserve(static_cast<size_t>(size + size / 8 + 65536));
    if (size >= 0) index->bytes.resize(static_cast<size_t>(size));
    if (size < 0 || !SeekTo(file, 0) || ReadBytes(file, index->bytes.data(), size) != size) {
      index->bytes.clear();
      return false;
    }
    IndexRecords(index);
    SetRowFilter(index, RowFilter(index->filter));
  } catch (const std::bad_alloc&) {
    // Without the memory for the whole file the list shows nothing rather than a part.
    *index = RowIndex{{}, {}, index->newestFirst, RowFilter(index->filter), {}};
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
  index->bytes.append(header, 4).append(text, static_cast<size_t>(length));
  AddSpan(index, position, length);
  const uint32_t count = static_cast<uint32_t>(index->records.size());  // as the file's count now says
  for (int i = 0; i < 4; ++i) index->bytes[static_cast<size_t>(i)] = static_cast<char>((count >> (8 * i)) & 0xFF);
  if (!index->filter.utf8.empty()) {
    if (!HoldsFilter(*index, index->records.back())) return -1;
    index->matches.push_back(static_cast<int32_t>(index->records.size() - 1));
  }
  return index->newestFirst ? 0 : RowCount(*index) - 1;
}

void SetRowFilter(RowIndex* index, const RowFilter& filter) {
  // Typing on narrows what is shown already: a record that holds the longer text holds
  // the shorter one at the same place.
  const std::string& old = index->filter.utf8;
  bool narrower = !old.empty() && filter.utf8.size() > old.size() && filter.utf8.compare(0, old.size(), old) == 0;
  std::vector<int32_t> candidates;
  if (narrower) candidates.swap(index->matches);
  index->filter = filter;
  index->matches.clear();
  if (filter.utf8.empty()) return;
  auto consider = [&](int32_t ordinal) {
    if (HoldsFilter(*index, index->records[static_cast<size_t>(ordinal)])) index->matches.push_back(ordinal);
  };
  if (narrower) {
    for (int32_t ordinal : candidates) consider(ordinal);
  } else {
    for (int32_t ordinal = 0; ordinal < static_cast<int32_t>(index->records.size()); ++ordinal) consider(ordinal);
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
