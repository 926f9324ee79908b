#include "ui/map_dialogs.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "paint/qt_canvas.h"

namespace mw {

namespace {

// The handheld's list boxes scrolled sideways over 500 pixels; a list here
// scrolls as far as its longest line needs.
QListWidget* MakeList(const std::vector<std::string>& lines, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (const std::string& line : lines) list->addItem(DisplayText(line));
    return list;
}

}  // namespace

ListDialog::ListDialog(const std::string& title, const std::vector<std::string>& lines,
                       QWidget* parent)
    : QDialog(parent) {
    setObjectName("listDialog");
    setWindowTitle(QString::fromStdString(title));
    list_ = MakeList(lines, this);
    list_->setObjectName("list");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

MapsFoundDialog::MapsFoundDialog(const std::vector<std::string>& names,
                                 std::function<void(int)> choose, QWidget* parent)
    : QDialog(parent), choose_(std::move(choose)) {
    setObjectName("mapsFound");
    setWindowTitle("Maps Found");
    list_ = MakeList(names, this);
    list_->setObjectName("ctl1014");
    if (list_->count() > 0) list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        ChooseCurrent();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A double tap loads the map and leaves the list open for another pick.
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { ChooseCurrent(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

void MapsFoundDialog::ChooseCurrent() {
    int row = list_->currentRow();
    if (row >= 0 && choose_) choose_(row);
}

}  // namespace mw
