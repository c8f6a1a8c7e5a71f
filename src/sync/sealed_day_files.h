// Sealed day files: in a folder with a passphrase, each PC's day files are DIR\NAME\YYYYMMDD.PLX,
// in the history's record format, each record's text sealed for its place (the file's
// "NAME\YYYYMMDD.PLX" and the record's ordinal in it, counted from 0). This PC's are appended
// and counted like the work file; another PC's are read as carefully as its plain ones.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../store/record_file.h"
#include "day_files.h"
#include "sealing.h"
#include "sync_names.h"

// "NAME\YYYYMMDD.PLX" (NAME as the folder is named): what a PC's day file binds its records to,
// and the key Pelmor.SYN keeps its progress under.
std::string SealedPlace(std::string_view folderName, const CivilDate& day);

// Seals the texts (the history's record bytes) as the records that follow those already in
// this PC's sealed day file (made when missing, settled first, so its count is the first new
// ordinal) and appends them, then the raised count. 0, -101 (cannot open or read), -102 (a text
// could not be sealed, and nothing was written; or the writing failed). A damaged file is kept
// whole before its repair cuts it, and noted in *kept.
int AppendToSealedDayFile(const std::string& path, std::string_view place, const SealKey& key,
                          const std::vector<std::string>& texts, std::vector<KeptCopy>* kept = nullptr);

// Another PC's sealed day file from record `from` on, as ReadPeerDayFile reads a plain one (the
// limit and *cut as there): *available gets its trustworthy records, *texts the opened texts in
// file order. A record that does not open (changed, moved, or sealed under another key) is left
// out but counts as taken; *refused, when given, gets how many were left out. False when it
// cannot be opened or read.
bool ReadPeerSealedDayFile(const std::string& path, std::string_view place, const SealKey& key, int32_t from,
                           int32_t* available, std::vector<std::string>* texts, int32_t* refused = nullptr,
                           const ReadLimit& limit = {}, bool* cut = nullptr);
