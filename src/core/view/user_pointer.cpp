#include "view/user_pointer.h"

#include "support/line_budget.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

std::vector<Point> LoadUserPointer(const std::string& programFolder, ReadOutcome* read) {
    std::vector<Point> outline;
    TextFileReader file(JoinPath(programFolder, kUserPointerFile));
    if (read) *read = OutcomeOf(file);
    // Comment and blank lines add no vertex: only a size limit ends an
    // endless source.
    ForEachLineWithin(file, kUserPointerMaxFileBytes, [&](const std::string& line) {
        if (IsBlank(line) || line[0] == ';') return true;
        outline.push_back(
            Point{ParseInt(GetField(line, 1, "0")), ParseInt(GetField(line, 2, "0"))});
        return outline.size() < kUserPointerMaxVertices;
    });
    if (outline.empty()) outline.assign(kArrowOutline.begin(), kArrowOutline.end());
    return outline;
}

}  // namespace mw
