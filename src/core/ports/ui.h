// The core's window onto the user interface. The Qt layer implements it; the
// tests use a recording fake. The core never reaches into windows directly.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mw {

// The windows whose repaint the core can ask for.
enum class WindowId { Main, Map, ToolPanel, Scale, Overview, AlarmPopup };

// A file type filter for the open and save requests, for example
// {"Map Files", "*.map"}.
struct FileFilter {
    std::string description;
    std::string pattern;
};

class Ui {
public:
    virtual ~Ui() = default;
    // Exclamation box with caption "Mapwanderer" and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Question box with caption "Mapwanderer"; true when the answer is Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // File requests; nullopt when the user cancels.
    virtual std::optional<std::string> AskOpenFileName(const std::string& startFolder,
                                                       const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> AskSaveFileName(const std::string& proposedPath,
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
};

// Message boxes as the rest of the core calls them.
inline void ShowMessage(Ui& ui, const std::string& text) { ui.ShowMessage(text); }
inline bool AskYesNo(Ui& ui, const std::string& text) { return ui.AskYesNo(text); }

}  // namespace mw
