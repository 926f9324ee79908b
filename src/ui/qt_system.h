// The Shell port on the desktop: documents open in their viewer; programs are
// started detached.
#pragma once

#include "ports/system.h"

namespace mw {

class QtShell : public Shell {
public:
    bool OpenDocument(const std::string& path) override;
    bool StartProgram(const std::string& path, const std::vector<std::string>& args) override;
};

}  // namespace mw
