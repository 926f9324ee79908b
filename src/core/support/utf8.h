// UTF-8 checks for texts whose encoding a file does not say.
#pragma once

#include <string_view>

namespace mw {

// True when `text` is valid UTF-8 (display decides between UTF-8 and Latin-1).
bool IsValidUtf8(std::string_view text);

}  // namespace mw
