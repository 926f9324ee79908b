// The core's window onto the user interface. The Qt layer implements it; the
// tests use a recording fake. The core never reaches into windows directly.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mw {

// The windows whose repaint the core can ask for.
enum class WindowId { Main, Map, ToolPanel, Scale, Overview, AlarmPopup };

// The dialogs the core opens; the window layer builds each over the running
// program's state. `OpenDialog`'s parameter selects within a kind (the
// settings dialog's number).
enum class DialogId {
    WaypointList,
    NameSearch,
    Settings,
    NmeaMonitor,
    Satellites,
    TrackInfo,
    Help,
    ImportMap,
    CalibrateMap,
};

// A file type filter for the open and save requests, for example
// {"Map Files", "*.map"}.
struct FileFilter {
    std::string description;
    std::string pattern;
};

// One item of a menu rebuilt at run time: its command and its text.
struct MenuEntry {
    int id = -1;
    std::string text;
    bool operator==(const MenuEntry&) const = default;
};

class Ui {
public:
    virtual ~Ui() = default;
    // Exclamation box with caption "Mapwanderer" and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Question box with caption "Mapwanderer"; true when the answer is Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // File requests captioned `title` ("Open Map File", "Save Track File");
    // nullopt when the user cancels.
    virtual std::optional<std::string> AskOpenFileName(const std::string& title,
                                                       const std::string& startFolder,
                                                       const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> AskSaveFileName(const std::string& title,
                                                       const std::string& proposedPath,
                                                       const std::vector<FileFilter>& filters) = 0;
    virtual void SetWaitCursor(bool on) = 0;
    virtual void Repaint(WindowId window) = 0;
    // Check mark and enable state of a command's menu item and tool button.
    virtual void SetCommandChecked(int commandId, bool checked) = 0;
    virtual void SetCommandEnabled(int commandId, bool enabled) = 0;
    virtual void ShowFloatingWindow(WindowId window, bool show) = 0;
    // Asks the window layer to close the main window, which runs the orderly
    // shutdown ("Quit").
    virtual void RequestQuit() = 0;

    // The requests below have do-nothing defaults, so a port that shows no
    // menus or lists (a command-line tool) need not implement them.

    // Replaces every item of the submenu the command table marks with
    // `dynamicName` ("recent" for "Open Recent Maps") by `items`, in order.
    virtual void SetMenuItems(const std::string& dynamicName,
                              const std::vector<MenuEntry>& items) {}
    // A modal dialog captioned `title` whose list shows `lines`, closed with
    // Cancel ("Map Information").
    virtual void ShowList(const std::string& title, const std::vector<std::string>& lines) {}
    // The modal "Maps Found" list of `names`. OK, or a double tap on an entry,
    // calls `choose` with the entry's index; OK then closes the dialog, a
    // double tap leaves it open. Cancel closes it.
    virtual void ShowMapsFound(const std::vector<std::string>& names,
                               const std::function<void(int index)>& choose) {}
    // An error box captioned "Error" (the serial port's failures).
    virtual void ShowErrorMessage(const std::string& text) { ShowMessage(text); }
    // The main window's timers: the window layer calls the core's handler of
    // `timerId` every `periodMs` until the timer is stopped.
    virtual void StartTimer(int timerId, int periodMs) {}
    virtual void StopTimer(int timerId) {}
    // Opens one of the program's dialogs (modal unless the dialog is a
    // floating window by nature).
    virtual void OpenDialog(DialogId dialog, int parameter = 0) {}
    // A short note in the main window's status line, shown for a while in
    // place of the position text (a track log that cannot be written). The
    // caller says a lasting problem once, not on every fix.
    virtual void ShowStatusNote(const std::string& text) {}
};

// The wait cursor for as long as the scope lives; nothing without a Ui.
class WaitCursor {
public:
    explicit WaitCursor(Ui* ui) : ui_(ui) {
        if (ui_) ui_->SetWaitCursor(true);
    }
    ~WaitCursor() {
        if (ui_) ui_->SetWaitCursor(false);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Ui* ui_;
};

// Message boxes as the rest of the core calls them.
inline void ShowMessage(Ui& ui, const std::string& text) { ui.ShowMessage(text); }
inline bool AskYesNo(Ui& ui, const std::string& text) { return ui.AskYesNo(text); }

}  // namespace mw
