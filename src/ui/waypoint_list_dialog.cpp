#include "ui/waypoint_list_dialog.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/waypoint_commands.h"
#include "ui/handheld_layout.h"
#include "paint/qt_canvas.h"
#include "paint/symbol_picture.h"
#include "ui/waypoint_edit_dialog.h"

namespace mw {

namespace {

// Big enough for a fingertip on a handheld, small enough that four fit
// side by side on a 240-pixel-wide portrait screen.
constexpr int kFingerHeight = 34;
constexpr int kFingerWidth = 52;
constexpr int kListSymbolSide = 16;

QPushButton* FingerButton(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setMinimumSize(kFingerWidth, kFingerHeight);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

WaypointListDialog::WaypointListDialog(App& app, QWidget* parent)
    : QDialog(parent), app_(app), rows_(WaypointListRows(app)) {
    setObjectName("waypointList");
    setWindowTitle("Waypoints");

    list_ = new QTreeWidget(this);
    list_->setObjectName("ctl1014");
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels({"Name", "Description", "Position", "Num"});
    const int widths[] = {65, 130, 150, 45};
    for (int c = 0; c < 4; ++c) list_->setColumnWidth(c, widths[c]);
    list_->setMinimumSize(120, 80);
    list_->setIconSize(QSize(kListSymbolSide, kListSymbolSide));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        new QTreeWidgetItem(list_);
        ShowRow(static_cast<int>(i));
    }
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { EditRow(list_->indexOfTopLevelItem(item)); });

    auto* fold = FingerButton("<>", "ctl1097", this);
    auto* map = FingerButton("Map", "ctl1098", this);
    auto* goTo = FingerButton("GoTo", "ctl1099", this);
    auto* del = FingerButton("Delete", "ctl1100", this);
    auto* editButton = FingerButton("Edit", "edit", this);
    connect(editButton, &QPushButton::clicked, this, [this] {
        if (const int index = Selected(); index >= 0) EditRow(index);
    });
    auto* ok = FingerButton("OK", "ok", this);
    auto* cancel = FingerButton("Cancel", "cancel", this);
    connect(fold, &QPushButton::clicked, this, &WaypointListDialog::ToggleFold);
    connect(map, &QPushButton::clicked, this, &WaypointListDialog::MapPressed);
    connect(goTo, &QPushButton::clicked, this, &WaypointListDialog::GoToPressed);
    connect(del, &QPushButton::clicked, this, &WaypointListDialog::DeletePressed);
    connect(ok, &QPushButton::clicked, this, [this] {
        WaypointListConfirm(app_, rows_);
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QGridLayout;
    buttons->setSpacing(4);
    buttons->addWidget(fold, 0, 0);
    buttons->addWidget(map, 0, 1);
    buttons->addWidget(goTo, 0, 2);
    buttons->addWidget(del, 0, 3);
    buttons->addWidget(editButton, 1, 0);
    buttons->addWidget(ok, 1, 1, 1, 2);
    buttons->addWidget(cancel, 1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(390, 300);
    // Wider than a 240-pixel screen: there it takes the whole screen.
    FitDialogToScreen(this);
}

void WaypointListDialog::ShowRow(int index) {
    const WaypointListRow& row = rows_[static_cast<std::size_t>(index)];
    QTreeWidgetItem* item = list_->topLevelItem(index);
    item->setText(0, DisplayText(row.FirstColumn()));
    item->setText(1, DisplayText(row.description));
    item->setText(2, DisplayText(row.position));
    item->setText(3, QString::number(row.slot));
    const Waypoint* w = app_.waypoints.At(row.slot);
    const std::string* picture = w ? app_.symbols.Find(app_.state.programFolder, w->symbol) : nullptr;
    item->setIcon(0, picture ? SymbolIcon(*picture, kListSymbolSide) : QIcon());
}

void WaypointListDialog::EditRow(int index) {
    if (index < 0 || index >= static_cast<int>(rows_.size())) return;
    const int slot = rows_[static_cast<std::size_t>(index)].slot;
    if (!app_.waypoints.At(slot)) return;  // emptied meanwhile
    WaypointEditDialog editor(app_, slot, this);
    if (editor.exec() != QDialog::Accepted) return;
    // The row takes the saved texts; its deletion mark stays as it was.
    for (const WaypointListRow& fresh : WaypointListRows(app_)) {
        if (fresh.slot != slot) continue;
        WaypointListRow& row = rows_[static_cast<std::size_t>(index)];
        const bool marked = row.marked;
        row = fresh;
        row.marked = marked;
    }
    ShowRow(index);
}

int WaypointListDialog::Selected() {
    QTreeWidgetItem* item = list_->currentItem();
    const int index = item && item->isSelected() ? list_->indexOfTopLevelItem(item) : -1;
    return SelectedRow(app_, index);
}

void WaypointListDialog::ToggleFold() {
    if (!folded_) {
        fullSize_ = size();
        list_->hide();
        folded_ = true;
        // Down to the buttons, full width kept, so the map shows below.
        setMinimumHeight(0);
        resize(width(), minimumSizeHint().height());
    } else {
        list_->show();
        folded_ = false;
        resize(fullSize_);
    }
}

void WaypointListDialog::MapPressed() {
    const int index = Selected();
    if (index < 0) return;
    if (WaypointListShowOnMap(app_, rows_[static_cast<std::size_t>(index)]) && !folded_)
        ToggleFold();
}

void WaypointListDialog::GoToPressed() {
    const int index = Selected();
    if (index >= 0) WaypointListGoTo(app_, rows_[static_cast<std::size_t>(index)]);
}

void WaypointListDialog::DeletePressed() {
    const int index = Selected();
    if (index < 0) return;
    WaypointListRow& row = rows_[static_cast<std::size_t>(index)];
    WaypointListToggleDelete(app_, row);
    list_->topLevelItem(index)->setText(0, DisplayText(row.FirstColumn()));
}

}  // namespace mw
