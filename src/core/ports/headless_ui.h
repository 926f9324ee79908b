// A Ui for runs without windows (mwtool, benchmarks): messages go to standard
// error with a prefix, questions are answered No, file requests are cancelled
// and every window request does nothing.
#pragma once

#include <iostream>
#include <string>
#include <utility>

#include "ports/ui.h"

namespace mw {

class HeadlessUi : public Ui {
public:
    explicit HeadlessUi(std::string prefix = "") : prefix_(std::move(prefix)) {}
    void ShowMessage(const std::string& text) override {
        std::cerr << prefix_ << text << "\n";
        ++messages;
    }
    void ShowErrorMessage(const std::string& text) override { ShowMessage(text); }
    bool AskYesNo(const std::string&) override { return false; }
    std::optional<std::string> AskOpenFileName(const std::string&, const std::string&,
                                               const std::vector<FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
                                               const std::vector<FileFilter>&) override {
        return std::nullopt;
    }
    void SetWaitCursor(bool) override {}
    void Repaint(WindowId) override {}
    void SetCommandChecked(int, bool) override {}
    void SetCommandEnabled(int, bool) override {}
    void ShowFloatingWindow(WindowId, bool) override {}
    void RequestQuit() override {}
    void ShowStatusNote(const std::string& text) override { std::cerr << prefix_ << text << "\n"; }

    int messages = 0;  // messages shown so far

private:
    std::string prefix_;
};

}  // namespace mw
