// Recording fakes of the core's ports.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/canvas.h"
#include "ports/system.h"
#include "ports/ui.h"

namespace mwtest {

// Records every request; questions and file requests are answered from
// queues the test fills (an empty queue answers No / cancel).
class FakeUi : public mw::Ui {
public:
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        // A modal box runs the event loop: whatever arrives meanwhile runs here.
        if (duringMessage) duringMessage();
    }
    bool AskYesNo(const std::string&) override {
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& startFolder,
                                               const std::vector<mw::FileFilter>&) override {
        requestTitles.push_back(title);
        openRequests.push_back(startFolder);
        return NextFile();
    }
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string&,
                                               const std::vector<mw::FileFilter>&) override {
        requestTitles.push_back(title);
        return NextFile();
    }
    void SetWaitCursor(bool on) override { waitCursor = on; }
    void Repaint(mw::WindowId w) override { repaints.push_back(w); }
    void SetCommandChecked(int id, bool c) override { checked[id] = c; }
    void SetCommandEnabled(int, bool) override {}
    void ShowFloatingWindow(mw::WindowId, bool) override {}
    void RequestQuit() override {}
    void ShowErrorMessage(const std::string& text) override { errors.push_back(text); }
    void StartTimer(int id, int periodMs) override { timers[id] = periodMs; }
    void StopTimer(int id) override { timers.erase(id); }
    void SetMenuItems(const std::string&, const std::vector<mw::MenuEntry>&) override {}
    void ShowList(const std::string& title, const std::vector<std::string>& lines) override {
        lists.push_back({title, lines});
    }
    void ShowMapsFound(const std::vector<std::string>&, const std::function<void(int)>&) override {}
    void ShowStatusNote(const std::string& text) override { statusNotes.push_back(text); }

    std::vector<std::string> messages;
    std::function<void()> duringMessage;
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> files;
    std::vector<std::string> openRequests, requestTitles;
    bool waitCursor = false;
    std::vector<mw::WindowId> repaints;
    std::map<int, bool> checked;
    std::vector<std::string> errors;
    std::map<int, int> timers;  // running timers and their periods
    std::vector<std::pair<std::string, std::vector<std::string>>> lists;
    std::vector<std::string> statusNotes;

private:
    std::optional<std::string> NextFile() {
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
};

// A canvas that records each call as one line of text, so tests compare the
// drawing with a list of expected calls. Text extents are 6 pixels a
// character wide and the font height high.
class RecordingCanvas : public mw::Canvas {
public:
    void SetPen(mw::Rgb c, int width, bool none) override;
    void SetBrush(mw::Rgb c, bool hollow) override;
    void Line(mw::Point a, mw::Point b) override;
    void Polyline(const std::vector<mw::Point>& pts) override;
    void Polygon(const std::vector<mw::Point>& pts) override;
    void Ellipse(mw::Rect box) override;
    void FillRect(mw::Rect r, mw::Rgb c) override;
    void Image(const mw::CanvasImage& image, mw::Rect source, mw::Rect target) override;
    void Text(mw::Point at, const std::string& text, int h, int w, mw::Rgb c, mw::Rgb bg,
              bool opaque) override;
    int TextWidth(const std::string& text, int h, int) override {
        return 6 * static_cast<int>(text.size());
    }
    int TextHeight(const std::string&, int h, int) override { return h; }
    // Records "picture l,t,r,b path" and answers `picturesDrawn`.
    bool Picture(mw::Rect box, const std::string& path) override;

    std::vector<std::string> calls;
    bool picturesDrawn = true;
};

// A clock the test moves by hand.
class FakeClock : public mw::Clock {
public:
    std::uint32_t TickCount() override { return tick += autoAdvance; }
    mw::DateTime UtcNow() override { return utc; }
    mw::DateTime LocalNow() override { return utc; }
    std::uint32_t tick = 0;
    std::uint32_t autoAdvance = 0;
    mw::DateTime utc;
};

// Records documents opened and programs started.
class FakeShell : public mw::Shell {
public:
    bool OpenDocument(const std::string& path) override {
        opened.push_back(path);
        return true;
    }
    bool StartProgram(const std::string& path, const std::vector<std::string>&) override {
        started.push_back(path);
        return true;
    }
    std::vector<std::string> opened, started;
};

}  // namespace mwtest
