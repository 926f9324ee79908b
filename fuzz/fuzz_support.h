// Shared pieces of the fuzz targets: a quiet Ui, a fixed clock, and a private
// folder the path-taking readers are pointed at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ports/system.h"
#include "ports/ui.h"

namespace mwfuzz {

// Messages are counted, not printed: a fuzzer shows thousands of them.
class QuietUi : public mw::Ui {
public:
    void ShowMessage(const std::string&) override { ++messages; }
    void ShowErrorMessage(const std::string&) override { ++messages; }
    bool AskYesNo(const std::string&) override { return false; }
    std::optional<std::string> AskOpenFileName(const std::string&, const std::string&,
                                               const std::vector<mw::FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
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

class FixedClock : public mw::Clock {
public:
    std::uint32_t TickCount() override { return tick += 10; }
    mw::DateTime UtcNow() override { return {2024, 5, 17, 12, 30, 45, 0}; }
    mw::DateTime LocalNow() override { return UtcNow(); }
    std::uint32_t tick = 0;
};

// One folder per fuzzer process, on /dev/shm when it is writable (else under
// $TMPDIR), removed at exit.
const std::string& Folder();

// Writes the input as Folder()/name and returns the path; every run
// overwrites the previous input.
std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size);

}  // namespace mwfuzz
