#include "ui/waypoint_edit_dialog.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/app.h"
#include "support/paths.h"
#include "support/text.h"
#include "ui/handheld_layout.h"
#include "paint/qt_canvas.h"
#include "paint/symbol_picture.h"

namespace mw {

namespace {

constexpr int kSymbolPreview = 24;

// Files hold colours as 0xBBGGRR.
QColor ToQColor(int packed) { return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF); }
int FromQColor(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

void PaintSwatch(QPushButton* button, int packed) {
    const QColor c = ToQColor(packed);
    button->setText(c.name());
    // Text that stays readable on the swatch whatever its colour.
    const QString ink = c.lightness() > 128 ? "#000" : "#fff";
    button->setStyleSheet(QString("background-color: %1; color: %2;").arg(c.name(), ink));
}

QLineEdit* Field(const std::string& text, const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(DisplayText(text), parent);
    edit->setObjectName(name);
    return edit;
}

std::string Bytes(const QLineEdit* edit) { return edit->text().toStdString(); }

}  // namespace

WaypointEditDialog::WaypointEditDialog(App& app, int slot, QWidget* parent)
    : QDialog(parent), app_(app), slot_(slot) {
    setObjectName("waypointEdit");
    setWindowTitle("Edit Waypoint");
    const Waypoint* w = app.waypoints.At(slot);
    if (w) start_ = FieldsOfWaypoint(app, *w);
    textColourValue_ = start_.textColour;
    backColourValue_ = start_.backColour;
    const bool small = IsSmallScreen(parent ? parent : this);

    auto* body = new QWidget;
    auto* form = new QFormLayout(body);
    // Labels above their fields on a narrow screen, beside them otherwise.
    form->setRowWrapPolicy(small ? QFormLayout::WrapAllRows : QFormLayout::DontWrapRows);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    name_ = Field(start_.name, "name", body);
    name_->setMaxLength(static_cast<int>(kWaypointNameMax));
    comment_ = Field(start_.comment, "comment", body);
    position_ = Field(start_.position, "position", body);
    altitude_ = Field(start_.altitude, "altitude", body);
    altitude_->setPlaceholderText("none");
    symbol_ = Field(start_.symbol, "symbol", body);
    proximity_ = Field(start_.proximity, "proximity", body);
    picture_ = Field(start_.picture, "picture", body);
    sound_ = Field(start_.sound, "sound", body);

    symbolPicture_ = new QLabel(body);
    symbolPicture_->setFixedSize(kSymbolPreview, kSymbolPreview);
    auto* symbolRow = new QHBoxLayout;
    symbolRow->addWidget(symbol_, 1);
    symbolRow->addWidget(symbolPicture_);
    connect(symbol_, &QLineEdit::textChanged, this, &WaypointEditDialog::ShowSymbol);
    ShowSymbol();

    textColour_ = new QPushButton(body);
    textColour_->setObjectName("textColour");
    backColour_ = new QPushButton(body);
    backColour_->setObjectName("backColour");
    PaintSwatch(textColour_, textColourValue_);
    PaintSwatch(backColour_, backColourValue_);
    connect(textColour_, &QPushButton::clicked, this,
            [this] { ChooseColour(textColour_, textColourValue_); });
    connect(backColour_, &QPushButton::clicked, this,
            [this] { ChooseColour(backColour_, backColourValue_); });

    const auto fileRow = [this, body, small](QLineEdit* field, const char* folder, const char* filter) {
        auto* row = new QHBoxLayout;
        auto* browse = new QPushButton("...", body);
        MakeNarrow(browse, small);
        row->addWidget(field, 1);
        row->addWidget(browse);
        connect(browse, &QPushButton::clicked, this,
                [this, field, folder, filter] { ChooseFile(field, folder, filter); });
        return row;
    };

    form->addRow("Name", name_);
    form->addRow("Comment", comment_);
    form->addRow("Position", position_);
    form->addRow("Altitude (m)", altitude_);
    form->addRow("Symbol", symbolRow);
    form->addRow("Text colour", textColour_);
    form->addRow("Background", backColour_);
    form->addRow("Proximity (m)", proximity_);
    form->addRow("Alarm picture", fileRow(picture_, kSymbolFolder, "Pictures (*.bmp *.BMP)"));
    form->addRow("Alarm sound", fileRow(sound_, "Sound Files", "Sounds (*.wav *.WAV)"));

    // A handheld screen holds a few rows: the rest scrolls, OK stays in view.
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(body);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("ok");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancel");
    connect(ok, &QPushButton::clicked, this, &WaypointEditDialog::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(scroll, 1);
    layout->addLayout(buttons);
    resize(360, 460);
    FitDialogToScreen(this);
}

WaypointFields WaypointEditDialog::Fields() const {
    WaypointFields f;
    f.name = Bytes(name_);
    f.comment = Bytes(comment_);
    // A text the user did not touch goes back as the bytes it came from
    // (a Latin-1 name shown as text must not turn into UTF-8 on OK).
    if (f.name == DisplayText(start_.name).toStdString()) f.name = start_.name;
    if (f.comment == DisplayText(start_.comment).toStdString()) f.comment = start_.comment;
    f.position = Bytes(position_);
    if (f.position == DisplayText(start_.position).toStdString()) f.position = start_.position;
    f.altitude = Bytes(altitude_);
    f.symbol = Bytes(symbol_);
    f.proximity = Bytes(proximity_);
    f.picture = Bytes(picture_);
    if (f.picture == DisplayText(start_.picture).toStdString()) f.picture = start_.picture;
    f.sound = Bytes(sound_);
    if (f.sound == DisplayText(start_.sound).toStdString()) f.sound = start_.sound;
    f.textColour = textColourValue_;
    f.backColour = backColourValue_;
    return f;
}

void WaypointEditDialog::Confirm() {
    const std::string error = ConfirmWaypointEdit(app_, slot_, Fields());
    if (error.empty()) {
        accept();
        return;
    }
    if (app_.ports.ui)
        ShowMessage(*app_.ports.ui, error);
    else
        QMessageBox::warning(this, windowTitle(), DisplayText(error));
}

void WaypointEditDialog::ShowSymbol() {
    bool ok = false;
    const int number = symbol_->text().trimmed().toInt(&ok);
    const std::string* path = ok ? app_.symbols.Find(app_.state.programFolder, number) : nullptr;
    const QImage picture = path ? SymbolPicture(*path, kSymbolPreview, kSymbolPreview) : QImage();
    symbolPicture_->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

void WaypointEditDialog::ChooseColour(QPushButton* button, int& colour) {
    const QColor chosen = QColorDialog::getColor(ToQColor(colour), this, "Colour");
    if (!chosen.isValid()) return;
    colour = FromQColor(chosen);
    PaintSwatch(button, colour);
}

void WaypointEditDialog::ChooseFile(QLineEdit* field, const char* folder, const QString& filter) {
    QFileDialog dialog(this, "Choose File",
                       QString::fromStdString(JoinPath(app_.state.programFolder, folder)), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    FitFileDialogToScreen(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    // The alarm looks the bare name up in the home's folders and the data
    // folder, so the name alone is what the waypoint keeps.
    field->setText(DisplayText(FileNameOf(dialog.selectedFiles().first().toStdString())));
}

}  // namespace mw
