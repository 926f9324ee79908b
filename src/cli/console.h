// What several mwtool commands share: a Ui that reports on standard error
// and answers no questions, and the Qt application object text drawing needs.
#pragma once

#include <iostream>
#include <memory>

#include "ports/ui.h"

class QGuiApplication;

namespace mwtool {

class ConsoleUi : public mw::Ui {
public:
    void ShowMessage(const std::string& text) override {
        std::cerr << "mwtool: " << text << "\n";
        ++messages;
    }
    bool AskYesNo(const std::string&) override { return false; }
    std::optional<std::string> AskOpenFileName(const std::string&,
                                               const std::vector<mw::FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> AskSaveFileName(const std::string&,
                                               const std::vector<mw::FileFilter>&) override {
        return std::nullopt;
    }
    void SetWaitCursor(bool) override {}
    void Repaint(mw::WindowId) override {}
    void SetCommandChecked(int, bool) override {}
    void SetCommandEnabled(int, bool) override {}
    void ShowFloatingWindow(mw::WindowId, bool) override {}
    void RequestQuit() override {}

    int messages = 0;
};

// A QGuiApplication on the offscreen platform (no display needed) when none
// exists yet; fonts and text drawing need one. Keep the result alive while
// drawing.
std::unique_ptr<QGuiApplication> EnsureGuiApplication();

}  // namespace mwtool
