// Reading and writing the program's text files: line readers over files and
// memory, the opening rules for the user's files, what became of a read, and
// the writer that replaces a file whole or not at all.
//
// Text is kept as the bytes a file holds (8-bit, one byte per character), so
// a file read and written again is unchanged byte for byte.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/durable_file.h"

namespace mw {

// Longest line the ordinary readers return; a longer physical line comes back
// in pieces of this size.
inline constexpr std::size_t kShortLineMax = 250;
// Longest line of the long reader (waypoint files).
inline constexpr std::size_t kLongLineMax = 1000;

// How a file is opened: any file but a folder (the program's own files in
// the application home), or only a regular file (a data file the user chose:
// a device or a FIFO may never end, or hold the program while it waits).
enum class OpenAs { AnyFile, DataFile };

// A file opened for reading lines. An object that failed to open behaves like
// the invalid handle: every read returns 0 with an empty text, so a reader that
// ignores the failure sees only empty lines and falls back to its defaults.
class TextFileReader {
public:
    TextFileReader() = default;
    explicit TextFileReader(const std::string& path, OpenAs as = OpenAs::AnyFile);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // Why the file did not open (an errno value, EISDIR for a folder); 0 when
    // it is open or was never opened.
    int OpenError() const { return openError_; }
    // True when it was opened as a data file and is not a regular file.
    bool NotRegular() const { return notRegular_; }
    // Next byte (0..255), or -1 at end of file, on error or when not open.
    int ReadByte();
    void Close();

private:
    friend int ReadLineMax(TextFileReader& file, std::string& text, std::size_t maxChars);
    // Refills the buffer when it is used up; false at end of file or on error.
    bool Fill();

    std::FILE* file_ = nullptr;
    int openError_ = 0;
    bool notRegular_ = false;
    // Lines are cut from this buffer a run at a time, not a byte per call.
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0, end_ = 0;
};

// Reads one line of at most `maxChars` characters. Returns 1 when a line end
// or the length limit was reached, 0 at end of file or for a file that is not
// open. CR is dropped, LF ends the line. At the limit the rest of the physical
// line (with its line end) is what the next call reads. The last line of a
// file without a final LF comes back with result 0 and its text: callers must
// use the text before they stop (see ForEachLine).
int ReadLineMax(TextFileReader& file, std::string& text, std::size_t maxChars);
inline int ReadLine(TextFileReader& file, std::string& text) {
    return ReadLineMax(file, text, kShortLineMax);
}
inline int ReadLongLine(TextFileReader& file, std::string& text) {
    return ReadLineMax(file, text, kLongLineMax);
}

// The same rules over a whole file held in memory; `cursor` is the byte
// offset, advanced past what was read. Returns 0 when the cursor has reached
// the end of `data`.
int ReadMemoryLine(std::string_view data, std::size_t& cursor, std::string& text,
                   std::size_t maxChars = kShortLineMax);

// The same line as ReadMemoryLine, as a view into `data` where nothing had
// to be taken out of it (no carriage return before its end, shorter than the
// limit); otherwise it is built in `scratch`. Empty at the end of `data`.
std::string_view NextMemoryLine(std::string_view data, std::size_t& cursor, std::string& scratch,
                                std::size_t maxChars = kShortLineMax);

// Calls `fn(line)` for every line of the file, the last one included even when
// the file does not end with a line end. A trailing empty piece after a final
// LF is not a line. Stops early when `fn` returns false.
template <typename Fn>
void ForEachLine(TextFileReader& file, Fn&& fn, std::size_t maxChars = kShortLineMax) {
    std::string line;
    for (;;) {
        int more = ReadLineMax(file, line, maxChars);
        if (!more && line.empty()) return;
        if (!fn(line)) return;
        if (!more) return;
    }
}

// Reads a whole file into memory; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Opens `path` for reading ("rb"); null when it cannot be opened or is a
// folder (which reads in odd ways). The open never waits: a FIFO without a
// writer reads as empty instead of holding the program forever. Devices and
// FIFOs may never end, so readers bound what they read. Every reader of the
// user's files opens them through here.
std::FILE* OpenForReading(const std::string& path);

// The reason a data file that is not a regular file is refused with.
inline constexpr const char* kNotRegularFileText = "not a regular file";

// Opens a data file the user chose: a regular file only. The type is looked
// at before the open and again on the open descriptor, and the open never
// waits, so a FIFO or a device is refused without being read or waited on.
// Null when refused; `notRegular` (when given) then says whether it was for
// the type (errno holds the reason otherwise).
std::FILE* OpenDataFile(const std::string& path, bool* notRegular = nullptr);

// What became of reading one of the user's files: read, or why not. The
// readers say why as a value; the command that asked for the file words the
// message (ReadFailureText), so each failure is told once, with the file.
struct ReadOutcome {
    ReadOutcome() = default;
    ReadOutcome(int openError, const char* contentFault = nullptr)  // NOLINT: {errno, reason}
        : error(openError), content(contentFault) {}

    int error = 0;  // errno of the failed open; EISDIR for a folder; 0 when read
    // Set when the file opened but holds nothing of its kind ("not a track
    // file") or is no regular file; the reader then left its store as it was.
    const char* content = nullptr;
    // What the reader left out of a file it took (its byte budget, the
    // store's limits), one fixed sentence each, for the command to tell
    // once with the load.
    std::vector<std::string> notes;
    bool Ok() const { return error == 0 && content == nullptr; }
    // A file that simply is not there: the normal case for the optional files
    // of the application home, which then take their defaults quietly.
    bool Missing() const { return error == ENOENT; }
    explicit operator bool() const { return Ok(); }
};
// The outcome of a TextFileReader just constructed.
inline ReadOutcome OutcomeOf(const TextFileReader& file) {
    if (file.IsOpen()) return {};
    if (file.NotRegular()) return {0, kNotRegularFileText};
    return {file.OpenError() != 0 ? file.OpenError() : ENOENT};
}

// "<text>: <path> (<reason>)", the reason "is a folder" for EISDIR, the
// content fault when there is one, and the system's words for the rest ("No
// such file or directory").
// A file refused for its type reads "<text>: <path>: not a regular file".
std::string ReadFailureText(std::string_view text, const std::string& path, const ReadOutcome& outcome);

// The one message a load of the user's file gives: the refusal
// (ReadFailureText) when it failed, then each note on a line of its own;
// empty when it read whole and there is nothing to tell.
std::string ReadReportText(std::string_view text, const std::string& path,
                           const ReadOutcome& outcome);

// A file written through a temporary file in the same folder and renamed over
// the target by Commit(), so a crash or a full disk never leaves half a file
// where a good one was. Without Commit() the temporary file is removed; the
// temporaries of this file name that a killed save left behind are removed
// when the file is next written (RemoveStaleTemporaries).
class TextFileWriter {
public:
    TextFileWriter() = default;
    explicit TextFileWriter(const std::string& path);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // Writes the bytes of `text`, no line end.
    void WriteText(std::string_view text);
    // Writes `text` then CR LF.
    void WriteLine(std::string_view text);
    // Flushes, syncs and renames over the target, then syncs its folder.
    // False when any write failed (the target is then left as it was).
    bool Commit();
    // The target and, once anything failed (the temporary not made, a
    // write, the sync, the rename), the first errno.
    WriteOutcome Outcome() const { return {path_, error_}; }

private:
    void Fail(int error);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string tempPath_;
    bool failed_ = false;
    int error_ = 0;
    int place_ = -1;  // in the table a signal handler clears (RegisterTemporary)
};

// True when the path names an existing file or folder.
bool FileExists(const std::string& path);

// Writes every byte to the descriptor, going on after interruptions and
// short writes; false on an error.
bool WriteAllBytes(int fd, std::string_view bytes);

}  // namespace mw
