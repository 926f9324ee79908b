// A GPX 1.1 checker for written files: namespace, version, element order
// inside every element the program writes, required attributes and value
// ranges. Returns the faults found (empty: the document passes).
#pragma once

#include <string>
#include <vector>

namespace mwtest {

std::vector<std::string> CheckGpx11(const std::string& path);

}  // namespace mwtest
