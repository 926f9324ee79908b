#include "support/line_budget.h"

namespace mw {

std::string FileCutText(const std::string& what, std::size_t maxBytes) {
    const std::string size = Format("%zu bytes", maxBytes);
    return what + " is longer than " + size + "; only its first " + size + " were read.";
}

}  // namespace mw
