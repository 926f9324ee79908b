// The "Waypoints" list: name, description, position and slot of every
// waypoint, with "<>" (fold the dialog down to its buttons), "Map", "GoTo"
// and "Delete" (mark or unmark; freed only on OK). Control numbers survive as
// object names ("ctl1014" the list, "ctl1097".."ctl1100" the buttons, "ok",
// "cancel"; "edit" the editor's button) so tests find them. A double tap on
// a row or "Edit" opens the waypoint editor. Each name shows its symbol's
// picture. The work is done by the core's list
// functions; the dialog only shows rows and passes taps on.
#pragma once

#include <QDialog>
#include <QSize>
#include <vector>

#include "waypoint/waypoint_list.h"

class QTreeWidget;
class QPushButton;

namespace mw {

struct App;

class WaypointListDialog : public QDialog {
    Q_OBJECT
public:
    WaypointListDialog(App& app, QWidget* parent);
    QTreeWidget* List() const { return list_; }
    // Whether the dialog is folded down to its buttons.
    bool Folded() const { return folded_; }
    // Opens the editor on row `index` (modal); the row shows what OK saved.
    void EditRow(int index);

private:
    // The selected row's index, or -1 after "There is no Waypoint selected".
    int Selected();
    void ToggleFold();
    void MapPressed();
    void GoToPressed();
    void DeletePressed();
    // Row `index`'s texts and symbol picture from its waypoint.
    void ShowRow(int index);

    App& app_;
    std::vector<WaypointListRow> rows_;
    QTreeWidget* list_;
    bool folded_ = false;
    QSize fullSize_;
};

}  // namespace mw
