// What several mwtool commands share: a Ui that reports on standard error
// and answers no questions, and the Qt application object text drawing needs.
#pragma once

#include <memory>
#include <string>

#include "ports/headless_ui.h"

class QGuiApplication;
class QImage;

namespace mwtool {

// Messages on standard error as "mwtool: TEXT".
class ConsoleUi : public mw::HeadlessUi {
public:
    ConsoleUi() : mw::HeadlessUi("mwtool: ") {}
};

// A QGuiApplication on the offscreen platform (no display needed) when none
// exists yet; fonts and text drawing need one. Keep the result alive while
// drawing.
std::unique_ptr<QGuiApplication> EnsureGuiApplication();

// Writes `image` to `path` in the format its suffix names (or `format`)
// through a temporary file renamed over the target: an interrupted run never
// leaves half a picture. False when it cannot be encoded or written, which
// it says on standard error with the file and the reason.
bool SaveImageFile(const QImage& image, const std::string& path, const char* format = nullptr);

}  // namespace mwtool
