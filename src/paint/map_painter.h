// Painting the map window: the same code draws into the window and, for
// mwtool render, into an image, so what a test renders is what a user sees.
#pragma once

#include <QImage>
#include <QPainter>
#include <optional>

#include "app/app.h"

namespace mw {

// The view as an image sharing the viewport's buffer (valid until the next
// render): 32-bit RGB for the window's format, else 8-bit indexed with the
// view's palette. Null without an image.
QImage ViewQImage(const Viewport& vp);

// The map window at the view record's size: the map image (1:1, or the
// centre of the view stretched when magnified) with the layers over it, or
// the start-up logo while no image is shown; with `dragShift`, the preview
// of a drag that has moved the map so far.
void PaintMapWindow(QPainter& painter, const App& app, std::optional<Point> dragShift = {});

}  // namespace mw
