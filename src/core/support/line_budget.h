// Reading the lines of a text file up to a stated size, for files that may
// come from a source without an end (a device, a pipe) or be far larger than
// any file of their kind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "support/text.h"

namespace mw {

// Whether a line read from a file is text: no control byte but the tab. A
// line of NUL bytes (a file of zeros, the zero-filled tail a power loss
// leaves) or of binary data is no record and no header line.
bool IsTextLine(std::string_view line);

// ForEachLine that stops once about `maxBytes` bytes have been read (each
// line counts its characters and one byte for its line end; dropped CRs do
// not count). Returns true when the file was cut: it held more than that.
// A line that would go past the budget is not passed to `fn`.
template <typename Fn>
bool ForEachLineWithin(TextFileReader& file, std::size_t maxBytes, Fn&& fn,
                       std::size_t maxChars = kShortLineMax) {
    std::string line;
    std::size_t used = 0;
    for (;;) {
        int more = ReadLineMax(file, line, maxChars);
        if (!more && line.empty()) return false;
        used += line.size() + 1;
        if (used > maxBytes) return true;
        if (!fn(line)) return false;
        if (!more) return false;
    }
}

// ForEachLineWithin over physical lines: each line is read to its end, but
// only its first `maxChars` bytes are passed to `fn`, so an over-long line
// never spills into the next record. The dropped rest counts against the
// budget. Returns true when the file was cut.
template <typename Fn>
bool ForEachWholeLineWithin(TextFileReader& file, std::size_t maxBytes, Fn&& fn,
                            std::size_t maxChars) {
    std::string line, rest;
    std::size_t used = 0;
    for (;;) {
        int more = ReadLineMax(file, line, maxChars);
        if (!more && line.empty()) return false;
        used += line.size() + 1;
        if (used > maxBytes) return true;
        // A piece of the full length may be followed by more of its line.
        while (more && line.size() == maxChars) {
            more = ReadLineMax(file, rest, maxChars);
            if (!more && rest.empty()) break;
            used += rest.size();
            if (used > maxBytes) return true;
            if (rest.size() < maxChars) break;
        }
        if (!fn(line)) return false;
        if (!more) return false;
    }
}

// "<what> is longer than <N> bytes; only its first <N> bytes were read." —
// the one wording every capped reader uses for its message.
std::string FileCutText(const std::string& what, std::size_t maxBytes);

}  // namespace mw
