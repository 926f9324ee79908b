// The waypoint editor: a waypoint's name, comment, position (in the user's
// position format), altitude, symbol (with its picture), label colours,
// proximity distance and the alarm's picture and sound. OK hands the fields
// to the core (ConfirmWaypointEdit), which checks them and saves; a field
// it refuses is said and the editor stays open. Controls carry object names
// ("name", "comment", "position", "altitude", "symbol", "textColour",
// "backColour", "proximity", "picture", "sound", "ok", "cancel") so tests
// find them.
#pragma once

#include <QDialog>

#include "app/waypoint_edit.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace mw {

struct App;

class WaypointEditDialog : public QDialog {
    Q_OBJECT
public:
    WaypointEditDialog(App& app, int slot, QWidget* parent);
    // The fields as they stand in the controls.
    WaypointFields Fields() const;

private:
    void Confirm();
    void ShowSymbol();
    void ChooseColour(QPushButton* button, int& colour);
    void ChooseFile(QLineEdit* field, const char* folder, const QString& filter);

    App& app_;
    int slot_;
    WaypointFields start_;
    QLineEdit *name_, *comment_, *position_, *altitude_, *symbol_, *proximity_, *picture_, *sound_;
    QLabel* symbolPicture_;
    QPushButton *textColour_, *backColour_;
    int textColourValue_ = 0, backColourValue_ = 0;
};

}  // namespace mw
