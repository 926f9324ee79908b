// Painting the panels and windows around the map with QPainter: the same
// code draws into the windows and, for mwtool render, into an image.
#pragma once

#include <QImage>
#include <QPainter>

#include "app/app.h"
#include "ports/canvas.h"

namespace mw {

// The status line into `strip` and the info panels into `area` (the strip
// under the map in portrait, the column right of it in landscape), as the
// application state says.
// `note`, when given, stands in place of the position text.
void PaintStatusLine(QPainter& painter, const App& app, Rect strip, const std::string& note = {});
void PaintInfoPanels(QPainter& painter, const App& app, Rect area);

// The overview's picture (the smallest level of the map image) as an image;
// null without one.
QImage OverviewQImage(const App& app);

// The overview window's client area: frame, picture stretched inside it,
// marker at the view centre. Nothing but white without a picture. Call
// SyncOverviewWithView first.
void PaintOverview(QPainter& painter, const App& app, int width, int height);

}  // namespace mw
