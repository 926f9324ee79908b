// Waypoint symbol pictures as the map and the waypoint list draw them: an
// SVG drawn at the size asked for (sharp at every "Symbol Size"), a bitmap
// scaled smoothly. Kept per path and size, so a paint of many waypoints
// reads each file once.
#pragma once

#include <QIcon>
#include <QImage>
#include <string>

namespace mw {

// The picture at `path` fitted into `width` × `height` (aspect kept,
// centred, transparent around it); a null image when the file cannot be
// read as a picture. For the painting thread only.
QImage SymbolPicture(const std::string& path, int width, int height);

// The same as an icon for lists (empty when unreadable).
QIcon SymbolIcon(const std::string& path, int side);

}  // namespace mw
