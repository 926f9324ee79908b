// Writing files so that neither a crash (kill -9, power loss) nor a full disk
// ever leaves a mixture of old and new: whole files are written to a
// temporary file, synced, renamed over the target and the folder synced
// (TextFileWriter::Commit, WriteFileAtomically); logs grow by whole records,
// each synced before the call returns (AppendLogRecord).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mw {

// fsync of the folder that holds `path`, which makes a rename or a new name
// in it survive a power loss. False when the folder cannot be opened or
// synced (a file system that cannot sync folders counts as done).
bool SyncFolderOf(const std::string& path);

// fsync of the file at `path` (its bytes and size reach the disk).
bool SyncFile(const std::string& path);

// Replaces the file at `path` by `bytes` through TextFileWriter: the old
// file or the new one, never a part. False (the target untouched) on any
// failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The name TextFileWriter gives its temporary for `path`: path + ".tmp-"
// and six characters chosen by mkstemp.
inline constexpr const char* kTemporarySuffix = ".tmp-";
inline constexpr std::size_t kTemporaryRandomChars = 6;

// Removes the temporaries of `path` (see kTemporarySuffix) that a save killed
// before its rename left behind: regular files only, and only those last
// changed before this process started, so a save under way in another
// process keeps its file. Other files' temporaries are never touched.
// Returns how many were removed.
int RemoveStaleTemporaries(const std::string& path);

enum class AppendOutcome {
    Failed,    // nothing (or, after an I/O error, an unsynced part) was added
    Appended,  // the record went to the end of an existing log
    Created,   // the log was new (or empty): header and record were written
};

// Appends one record to the log at `path` with a single write and syncs it,
// so a crash keeps every record already appended and at most loses the one
// being written. A missing or empty log first gets `header` (and its folder
// is synced, so the new file itself survives). A log whose last line lacks
// its line end holds a record cut short by a crash inside the write, never
// reported written: it is cut off, so it is neither read as a wrong point
// nor glued to the new record. `record(created)` gives the
// record's bytes, line end included; `created` tells whether the header
// goes before it.
AppendOutcome AppendLogRecord(const std::string& path, std::string_view header,
                              const std::function<std::string(bool created)>& record);

}  // namespace mw
