// The images of the tool buttons.
#pragma once

#include <QIcon>
#include <string>

namespace mw {

// A short caption on a rounded plate, drawn rather than shipped.
QIcon ButtonIcon(const std::string& label);

}  // namespace mw
