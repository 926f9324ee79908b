// The side file of a gazetteer, "<base>.types": the datum its coordinates
// are on and the feature codes the user can filter by.
#pragma once

#include <string>
#include <vector>

#include "geo/datums.h"
#include "support/text.h"

namespace mw {

// The entry of the code list that filters nothing.
inline constexpr const char* kAllCodesText = "All Codes";
// A .types file of more codes than this is not a code list; the rest is
// ignored so that a huge or binary file cannot exhaust memory.
inline constexpr std::size_t kMaxNameCodes = 5000;
// The side file is read this far at most (an endless source stops here).
inline constexpr std::size_t kMaxNamesTypesBytes = std::size_t{4} << 20;

// What a load says before the side file's path when it was refused or cut.
inline constexpr const char* kCodeListText = "Code list";

struct NamesTypes {
    // "All Codes" first, then the file's codes in file order.
    std::vector<std::string> codes{kAllCodesText};
    // Set when the file has a DATUM line.
    bool hasDatum = false;
    int datum = kDatumAutoShift;
    // Why the file was not read (missing, a folder, not a regular file), or
    // that only its first kMaxNamesTypesBytes were (a note).
    ReadOutcome read;
};

// The side file's path: `namesPath` up to and including its first ".", then
// "types" (a path without a dot gets ".types" appended).
std::string NamesTypesPath(const std::string& namesPath);

// Reads the side file. Empty and ";" lines are skipped, "#####" ends the list,
// "DATUM,<name>" names the datum (upper-cased key; the name through
// FindDatumByName), every other line is one code, a quoted code losing its
// quotes. Lines holding control characters (a binary file) are skipped. A
// missing file, a folder, a device or a FIFO gives only "All Codes" and no
// datum. Only the first kMaxNamesTypesBytes bytes are read.
NamesTypes LoadNamesTypes(const std::string& path, const DatumTable& datums);

}  // namespace mw
