// The settings dialogs: one class that builds any of the eleven from its
// table of controls. Widgets are named "ctl<control number>" and the dialog
// "dlg<resource>", so tests and the window layer find them by the numbers
// the tables give. The dialog only shows and collects values; reading and
// writing the main file is the core's (BeginSettingsDialog and
// ConfirmSettingsDialog).
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "config/dialog_tables.h"

namespace mw {

class SettingsDialogBox : public QDialog {
    Q_OBJECT
public:
    // Runs a folder picker starting at `start`; nullopt when cancelled.
    using FolderChooser = std::function<std::optional<std::string>(const std::string& start)>;

    // Reads the main file again and shows dialog `dialogNumber`'s controls.
    SettingsDialogBox(App& app, int dialogNumber, QWidget* parent = nullptr);

    // Replaces the "Get Path" picker behind the "..." buttons (tests).
    void SetFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }
    const DialogTable& Table() const { return *table_; }

    // OK: the controls' values go to SaveConfiguration, then the file is read
    // again and the dialog closes with Accepted. A number field that is not a
    // number of its key's range is marked instead, OK says which and what it
    // takes, and the dialog stays open with nothing stored.
    void accept() override;
    // Any end but OK puts back every in-memory setting the dialog opened with
    // (a folder chosen with "..." took effect at once).
    void done(int result) override;

private:
    void Build();
    QWidget* MakeControl(const DialogControl& control, QWidget* parent);
    void ChooseFolder(const DialogControl& control);
    AppSettings Collected() const;
    // Marks the number fields typed outside their key's range; their
    // messages, empty when all are good.
    std::vector<std::string> CheckNumberFields();

    App& app_;
    const DialogTable* table_;
    // The values as read when the dialog opened, plus folders chosen with
    // "..."; untouched controls give these back unchanged.
    AppSettings values_;
    // The values as read when the dialog opened; Cancel restores them.
    AppSettings opened_;
    std::map<int, QWidget*> widgets_;  // by index into the table's controls
    FolderChooser chooser_;
};

}  // namespace mw
