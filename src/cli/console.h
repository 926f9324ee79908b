// What several mwtool commands share: a Ui that reports on standard error
// and answers no questions, and the Qt application object text drawing needs.
#pragma once

#include <memory>

#include "ports/headless_ui.h"

class QGuiApplication;

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

}  // namespace mwtool
