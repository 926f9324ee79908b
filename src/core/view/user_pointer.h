// The user's own GPS pointer outline, "userPointer1.dat" in the application
// home: one vertex a line, x in field 1 and y in field 2 (integers in pointer
// units, y down, the tip at 0, 0 pointing up). Blank lines and lines starting
// with ';' are skipped; vertices after the 100th are ignored.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ports/canvas.h"
#include "support/text.h"

namespace mw {

inline constexpr const char* kUserPointerFile = "userPointer1.dat";
inline constexpr const char* kUserPointerNotOpenedText = "Pointer file could not be opened";
inline constexpr std::size_t kUserPointerMaxVertices = 100;
// An outline file is read this far at most.
inline constexpr std::size_t kUserPointerMaxFileBytes = std::size_t{64} << 10;

// The arrow drawn for the "Arrow" style, and for "User" without a file.
inline constexpr std::array<Point, 7> kArrowOutline = {
    {{0, 0}, {11, 11}, {4, 11}, {4, 32}, {-4, 32}, {-4, 11}, {-11, 11}}};

// Reads the outline from `programFolder`/"userPointer1.dat"; a file that
// cannot be read, or one without a vertex line, gives the built-in arrow.
// `read` (when given) says whether the file could be opened and why not (a
// missing file is the usual case and worth no message).
std::vector<Point> LoadUserPointer(const std::string& programFolder, ReadOutcome* read = nullptr);

}  // namespace mw
