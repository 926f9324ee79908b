#include "support/line_budget.h"

namespace mw {

bool IsTextLine(std::string_view line) {
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t') || u == 0x7F) return false;
    }
    return true;
}

std::string FileCutText(const std::string& what, std::size_t maxBytes) {
    const std::string size = Format("%zu bytes", maxBytes);
    return what + " is longer than " + size + "; only its first " + size + " were read.";
}

}  // namespace mw
