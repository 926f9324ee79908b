// Painting the map window: the same code draws into the window and, for
// mwtool render, into an image, so what a test renders is what a user sees.
#pragma once

#include <QImage>
#include <QPainter>

#include "app/app.h"

namespace mw {

// The view as an image sharing the viewport's buffer (valid until the next
// render): 32-bit RGB for the window's format, else 8-bit indexed with the
// view's palette. Null without an image.
QImage ViewQImage(const Viewport& vp);

// The map window of `width` × `height` pixels: the map image (1:1, or the
// centre of the view stretched when magnified), or the start-up logo while no
// image is shown.
void PaintMapWindow(QPainter& painter, const App& app, int width, int height);

// The drag preview: the view shifted by (dx, dy), white where it uncovers the
// window, and a cross-hair at the view centre.
void PaintDragPreview(QPainter& painter, const App& app, int width, int height, int dx, int dy);

}  // namespace mw
