// Writing files so that neither a crash (kill -9, power loss) nor a full disk
// ever leaves a mixture of old and new: whole files are written to a
// temporary file, synced, renamed over the target and the folder synced
// (TextFileWriter::Commit, WriteFileAtomically); logs grow by whole records,
// each synced before the call returns (AppendLogRecord). Every write says
// what it came to (WriteOutcome): the file and the system's reason, so the
// caller can tell the user which file a full or read-only disk refused.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mw {

// What a write came to: the file it was for and, when it failed, the errno
// that stopped it (ENOSPC, EROFS, EACCES, EFBIG, ...). A failure whose cause
// the system did not name carries EIO.
struct WriteOutcome {
    std::string path;
    int error = 0;

    bool Ok() const { return error == 0; }
    explicit operator bool() const { return Ok(); }
};

// "<text>: <path>: <reason>", the reason in the system's words ("No space
// left on device", "Read-only file system"); a `text` ending in a full stop
// is followed by a space instead of ": "; `text` alone for a success.
std::string WriteFailureText(std::string_view text, const WriteOutcome& outcome);

// fsync of the folder that holds `path`, which makes a rename or a new name
// in it survive a power loss. False when the folder cannot be opened or
// synced (a file system that cannot sync folders counts as done).
bool SyncFolderOf(const std::string& path);

// fsync of the file at `path` (its bytes and size reach the disk).
bool SyncFile(const std::string& path);

// Replaces the file at `path` by `bytes` through TextFileWriter: the old
// file or the new one, never a part. On any failure the target is untouched
// and the outcome says why.
WriteOutcome WriteFileAtomically(const std::string& path, std::string_view bytes);

// Copies the file `from` to `to` through WriteFileAtomically (a log saved
// under a name the user chose). nullopt when `from` cannot be read (nothing
// was written); otherwise the write's outcome.
std::optional<WriteOutcome> CopyFileAtomically(const std::string& from, const std::string& to);

// What became of removing a file the user asked to delete.
enum class Removal { Missing, Removed, Failed };
Removal RemoveFile(const std::string& path);

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

// The temporaries of saves under way, for a signal that ends the program in
// the middle of one: TextFileWriter registers its temporary while it exists
// and RemoveTemporariesNow() unlinks every one registered. A temporary that
// finds no free place (more than kTemporarySlots saves at once) is left to
// RemoveStaleTemporaries.
inline constexpr int kTemporarySlots = 16;
// Returns the place taken, or -1.
int RegisterTemporary(const std::string& tempPath);
void UnregisterTemporary(int place);
// Async-signal-safe: only unlink() and atomics. Returns how many it removed.
int RemoveTemporariesNow();

enum class AppendOutcome {
    Failed,    // nothing (or, after an I/O error, an unsynced part) was added
    Appended,  // the record went to the end of an existing log
    Created,   // the log was new (or empty): header and record were written
};

struct AppendResult {
    AppendOutcome outcome = AppendOutcome::Failed;
    WriteOutcome write;  // the log's path, and errno when it Failed
};

// Appends one record to the log at `path` with a single write and syncs it,
// so a crash keeps every record already appended and at most loses the one
// being written. A missing or empty log first gets `header` (and its folder
// is synced, so the new file itself survives); a log this call created and
// could not write is removed again, so a full disk leaves no empty log.
// Nothing already in the log is ever removed: a last line without its line
// end (a file edited by hand or copied from elsewhere, or a record cut short
// by a crash) gets CR LF first, so it stays a line of its own and the new
// record is never glued to it (a final CR gets the LF that ends a line for
// the reader).
// `record(created)` gives the record's bytes, line end included; `created`
// tells whether the header goes before it.
AppendResult AppendLogRecord(const std::string& path, std::string_view header,
                             const std::function<std::string(bool created)>& record);

}  // namespace mw
