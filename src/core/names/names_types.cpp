#include "names/names_types.h"

#include <algorithm>

#include "support/line_budget.h"
#include "support/text.h"

namespace mw {

std::string NamesTypesPath(const std::string& namesPath) {
    // The first dot of the file name, not of a folder on the way to it.
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < namesPath.size(); ++i)
        if (IsPathSeparator(namesPath[i])) nameStart = i + 1;
    std::size_t dot = namesPath.find('.', nameStart);
    if (dot == std::string::npos) return namesPath + ".types";
    return namesPath.substr(0, dot + 1) + "types";
}

namespace {

bool HasControlBytes(const std::string& line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && u != '\t') || u == 0x7F;
    });
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    return text;
}

}  // namespace

NamesTypes LoadNamesTypes(const std::string& path, const DatumTable& datums) {
    NamesTypes types;
    // A device or a FIFO under the side file's name is no code list: it is
    // refused unread, as a missing file is, and the outcome says so.
    TextFileReader file(path, OpenAs::DataFile);
    if (!file.IsOpen()) {
        types.read = OutcomeOf(file);
        return types;
    }
    const bool cut = ForEachLineWithin(file, kMaxNamesTypesBytes, [&](const std::string& raw) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') return true;
        if (line.rfind("#####", 0) == 0) return false;
        if (HasControlBytes(line)) return true;
        if (UpperAscii(GetField(line, 1, "")) == "DATUM") {
            std::size_t comma = line.find(',');
            types.datum = FindDatumByName(datums, Trim(line.substr(comma + 1)));
            types.hasDatum = true;
            return true;
        }
        std::string code;
        if (line[0] == '"') {
            // The quoted text runs to the last quote, commas included.
            std::size_t close = line.rfind('"');
            code = line.substr(1, close == 0 ? std::string::npos : close - 1);
            std::replace(code.begin(), code.end(), '"', ' ');
        } else {
            code = line;
        }
        code = Trim(code);
        if (code.empty()) return true;
        types.codes.push_back(std::move(code));
        return types.codes.size() <= kMaxNameCodes;
    });
    if (cut) types.read.notes.push_back(FileCutText("The code list " + path, kMaxNamesTypesBytes));
    return types;
}

}  // namespace mw
