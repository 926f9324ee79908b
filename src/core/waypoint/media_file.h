// Where the pictures and sounds that waypoints name for their proximity
// alarm are looked up.
#pragma once

#include <string>

namespace mw {

// The full path of an existing file called `name`, or empty. Looked up in
// order: a name containing ".wav" (any case) after its first character in
// `programFolder`/"Sound Files"; a name containing ".bmp" likewise in
// `programFolder`/"PSymbols"; then `dataFolder`, then `programFolder`
// itself. The name's case is only ignored for the test; the path is built
// with the name as given. Folders are local paths; a folder found under the
// name is no file, and an empty name finds nothing.
std::string FindMediaFile(const std::string& name, const std::string& programFolder,
                          const std::string& dataFolder);

}  // namespace mw
