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
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
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
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& proposed,
                                               const std::vector<mw::FileFilter>&) override {
        requestTitles.push_back(title);
        saveRequests.push_back(proposed);
        return NextFile();
    }
    void SetWaitCursor(bool on) override { waitCursor = on; }
    void Repaint(mw::WindowId w) override { repaints.push_back(w); }
    void SetCommandChecked(int id, bool c) override { checked[id] = c; }
    void SetCommandEnabled(int id, bool e) override { enabled[id] = e; }
    void ShowFloatingWindow(mw::WindowId w, bool s) override { shown[w] = s; }
    void RequestQuit() override { quitRequested = true; }
    void ShowErrorMessage(const std::string& text) override { errors.push_back(text); }
    void StartTimer(int id, int periodMs) override { timers[id] = periodMs; }
    void StopTimer(int id) override { timers.erase(id); }
    void SetMenuItems(const std::string& name, const std::vector<mw::MenuEntry>& items) override {
        menus[name] = items;
    }
    void ShowList(const std::string& title, const std::vector<std::string>& lines) override {
        lists.push_back({title, lines});
    }
    // Records the names, then picks the entries queued in mapsFoundPicks, one
    // call of `choose` each, as double taps and a final OK would.
    void ShowMapsFound(const std::vector<std::string>& names,
                       const std::function<void(int)>& choose) override {
        mapsFound.push_back(names);
        for (int index : mapsFoundPicks) choose(index);
        mapsFoundPicks.clear();
    }
    void ShowStatusNote(const std::string& text) override { statusNotes.push_back(text); }

    std::vector<std::string> messages;
    std::function<void()> duringMessage;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> files;
    std::vector<std::string> openRequests, saveRequests, requestTitles;
    bool waitCursor = false;
    std::vector<mw::WindowId> repaints;
    std::map<int, bool> checked, enabled;
    std::map<mw::WindowId, bool> shown;
    bool quitRequested = false;
    std::vector<std::string> errors;
    std::map<int, int> timers;  // running timers and their periods
    std::map<std::string, std::vector<mw::MenuEntry>> menus;
    std::vector<std::pair<std::string, std::vector<std::string>>> lists;
    std::vector<std::vector<std::string>> mapsFound;
    std::vector<int> mapsFoundPicks;
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
    void Text(mw::Point at, const std::string& text, int h, int w, mw::Rgb c, mw::Rgb bg,
              bool opaque) override;
    int TextWidth(const std::string& text, int h, int) override {
        return 6 * static_cast<int>(text.size());
    }
    int TextHeight(const std::string&, int h, int) override { return h; }

    std::vector<std::string> calls;
};

// A clock the test moves by hand.
class FakeClock : public mw::Clock {
public:
    std::uint32_t TickCount() override { return tick += autoAdvance; }
    mw::DateTime UtcNow() override { return utc; }
    mw::DateTime LocalNow() override { return local; }
    std::uint32_t tick = 0;
    std::uint32_t autoAdvance = 0;
    mw::DateTime utc, local;
};

// Records documents opened and programs started; answers from flags.
class FakeShell : public mw::Shell {
public:
    bool OpenDocument(const std::string& path) override {
        opened.push_back(path);
        return openSucceeds;
    }
    bool StartProgram(const std::string& path, const std::vector<std::string>& args) override {
        started.push_back(path);
        startArgs.push_back(args);
        return startSucceeds;
    }
    std::vector<std::string> opened, started;
    std::vector<std::vector<std::string>> startArgs;
    bool openSucceeds = true, startSucceeds = true;
};

}  // namespace mwtest
