#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/settings_commands.h"
#include "ports/ui.h"
#include "support/paths.h"
#include "ui/folder_picker.h"
#include "ui/handheld_layout.h"
#include "paint/qt_canvas.h"

namespace mw {

namespace {

QString CtlName(int id) { return QString("ctl%1").arg(id); }

// The bytes behind a text the user may have edited: the original when the
// text still shows it (so bytes that are not UTF-8 survive an OK), otherwise
// the text as UTF-8.
std::string FromDisplay(const QString& shown, const std::string& original) {
    if (shown == DisplayText(original)) return original;
    return shown.toStdString();
}

// The user's decimal separator as the number fields accept it besides the
// point: a comma where the locale writes one.
char DecimalSeparator() { return QLocale().decimalPoint() == QStringLiteral(",") ? ',' : '.'; }

void MarkRefused(QLineEdit* edit, bool refused, const QString& why) {
    if (edit->property("refused").toBool() == refused) return;
    edit->setProperty("refused", refused);
    edit->setStyleSheet(refused ? "QLineEdit { background: #ffd8d8; border: 2px solid #c00000; }"
                                : QString());
    edit->setToolTip(why);
}

// A number field with its unit beside it; the "-" and "+" buttons step
// inside the control's range. Text that its key cannot take is marked as it
// is typed.
QWidget* MakeNumberField(const DialogControl& c, const ControlValue& value,
                         const AppSettings& settings, bool small, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    const QString shown = QString::fromStdString(FormatNumberField(c.kind, value));
    auto* edit = new QLineEdit(shown, box);
    edit->setObjectName(CtlName(c.id));
    edit->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    MakeFingerSized(edit, small);
    row->addWidget(edit, 1);
    const QString why = QString::fromStdString(RefusedFieldText(c, settings));
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, c, shown, why](const QString& t) {
        bool ok = t == shown || CheckNumberField(c, t.toStdString(), DecimalSeparator());
        MarkRefused(edit, !ok, ok ? QString() : why);
    });
    auto* unit = new QLabel(QString::fromStdString(NumberFieldUnit(c, settings)), box);
    unit->setObjectName(CtlName(c.id) + "unit");
    row->addWidget(unit);
    if (c.spinMin != 0 || c.spinMax != 0) {
        for (int step : {-1, 1}) {
            auto* b = new QToolButton(box);
            b->setText(step < 0 ? QStringLiteral("\u2212") : QStringLiteral("+"));
            b->setObjectName(CtlName(c.id) + (step < 0 ? "down" : "up"));
            b->setAutoRepeat(true);
            if (small) b->setMinimumSize(kFingerSize, kFingerSize);
            QObject::connect(b, &QToolButton::clicked, edit, [edit, c, step] {
                edit->setText(QString::fromStdString(
                    StepNumberField(c, edit->text().toStdString(), step, DecimalSeparator())));
            });
            row->addWidget(b);
        }
    }
    return box;
}

}  // namespace

SettingsDialogBox::SettingsDialogBox(App& app, int dialogNumber, QWidget* parent)
    : QDialog(parent), app_(app), table_(FindSettingsDialog(dialogNumber)) {
    if (!table_) table_ = FindSettingsDialog(kDialogSystem);
    BeginSettingsDialog(app_);
    values_ = app_.settings;
    opened_ = app_.settings;
    chooser_ = [this](const std::string& start) {
        return PickFolder(this, start, app_.state.userHome);
    };
    setObjectName(QString("dlg%1").arg(table_->resource));
    setWindowTitle(table_->caption);
    Build();
    FitDialogToScreen(this);
}

QWidget* SettingsDialogBox::MakeControl(const DialogControl& c, QWidget* parent) {
    bool small = IsSmallScreen(parent);
    ControlValue value = ReadControl(values_, c);
    switch (c.kind) {
        case ControlKind::List: {
            auto* combo = new QComboBox(parent);
            for (const std::string& entry : ListEntries(c.list, app_.datums))
                combo->addItem(DisplayText(entry));
            combo->setCurrentIndex(ListSelection(value.number, combo->count()));
            combo->setMaxVisibleItems(small ? 7 : 15);
            // Long datum names must not make the dialog wider than a handheld.
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            combo->setMinimumContentsLength(10);
            combo->setObjectName(CtlName(c.id));
            MakeFingerSized(combo, small);
            return combo;
        }
        case ControlKind::Check:
        case ControlKind::PathActive: {
            auto* check = new QCheckBox(QString::fromUtf8(c.label), parent);
            check->setChecked(value.number != 0);
            check->setObjectName(CtlName(c.id));
            MakeFingerSized(check, small);
            return check;
        }
        case ControlKind::Number:
        case ControlKind::Speed:
            return MakeNumberField(c, value, values_, small, parent);
        case ControlKind::Folder: {
            auto* box = new QWidget(parent);
            auto* row = new QHBoxLayout(box);
            row->setContentsMargins(0, 0, 0, 0);
            auto* edit = new QLineEdit(DisplayText(value.text), box);
            edit->setObjectName(CtlName(c.id));
            edit->setMaxLength(static_cast<int>(kSettingTextMax));
            MakeFingerSized(edit, small);
            auto* more = new QPushButton("...", box);
            more->setObjectName(CtlName(c.buttonId));
            more->setAutoDefault(false);
            MakeFingerSized(more, small);
            more->setMaximumWidth(std::max(kFingerSize, more->sizeHint().height()) + 8);
            connect(more, &QPushButton::clicked, this, [this, &c] { ChooseFolder(c); });
            row->addWidget(edit, 1);
            row->addWidget(more);
            return box;
        }
        case ControlKind::PathLines: {
            auto* edit = new QPlainTextEdit(parent);
            edit->setObjectName(CtlName(c.id));
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setPlainText(DisplayText(value.text));
            QFontMetrics fm(edit->font());
            edit->setMinimumHeight(fm.lineSpacing() * 6 + 2 * edit->frameWidth() + 8);
            return edit;
        }
        case ControlKind::PathButton: {
            auto* more = new QPushButton(QString::fromUtf8(c.label), parent);
            more->setObjectName(CtlName(c.id));
            more->setAutoDefault(false);
            MakeFingerSized(more, small);
            connect(more, &QPushButton::clicked, this, [this, &c] { ChooseFolder(c); });
            return more;
        }
    }
    return nullptr;
}

void SettingsDialogBox::Build() {
    auto* content = new QWidget;
    auto* form = new QFormLayout(content);
    // On a narrow screen a label sits above its control.
    form->setRowWrapPolicy(IsSmallScreen(this) ? QFormLayout::WrapAllRows
                                               : QFormLayout::DontWrapRows);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    QGroupBox* group = nullptr;
    QFormLayout* groupForm = nullptr;
    QGridLayout* pathGrid = nullptr;  // map folder lines: check and "..." side by side
    const char* groupTitle = nullptr;
    auto controls = table_->controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const DialogControl& c = controls[i];
        if (!c.group) {
            group = nullptr;
            groupTitle = nullptr;
        } else if (!groupTitle || std::string_view(groupTitle) != c.group) {
            group = new QGroupBox(QString::fromUtf8(c.group).trimmed(), content);
            groupForm = new QFormLayout(group);
            pathGrid = nullptr;
            form->addRow(group);
            groupTitle = c.group;
        }
        QWidget* parent = group ? static_cast<QWidget*>(group) : content;
        QWidget* w = MakeControl(c, parent);
        widgets_[static_cast<int>(i)] = w;
        QFormLayout* target = group ? groupForm : form;

        if (c.kind == ControlKind::PathActive || c.kind == ControlKind::PathButton) {
            if (!pathGrid) {
                pathGrid = new QGridLayout;
                groupForm->addRow(pathGrid);
            }
            pathGrid->addWidget(w, c.line, c.kind == ControlKind::PathActive ? 0 : 1);
        } else if (c.kind == ControlKind::Check) {
            target->addRow(w);
        } else if (c.kind == ControlKind::PathLines || c.kind == ControlKind::Folder) {
            // Folders are long: the label always sits above them.
            target->addRow(new QLabel(QString::fromUtf8(c.label), parent));
            target->addRow(w);
        } else {
            target->addRow(QString::fromUtf8(c.label), w);
        }
    }

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    for (QAbstractButton* b : buttons->buttons()) MakeFingerSized(b, IsSmallScreen(this));
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialogBox::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    // On a desktop the dialog opens showing all its controls; on a handheld
    // it takes the screen and scrolls.
    if (!IsSmallScreen(this)) scroll->setMinimumSize(content->sizeHint());
}

void SettingsDialogBox::ChooseFolder(const DialogControl& c) {
    std::string* setting = FolderSettingOf(values_, c);
    if (!setting || !chooser_) return;
    QPlainTextEdit* lines = nullptr;
    QLineEdit* field = nullptr;
    std::string current;
    if (c.kind == ControlKind::PathButton) {
        lines = findChild<QPlainTextEdit*>();
        if (!lines) return;
        std::array<std::string, 6> shown = SplitPathLines(lines->toPlainText().toStdString());
        current = FromDisplay(DisplayText(shown[c.line]), values_.mapPath[c.line]);
    } else {
        field = findChild<QLineEdit*>(CtlName(c.id));
        if (!field) return;
        current = FromDisplay(field->text(), *setting);
    }
    std::optional<std::string> chosen = chooser_(ToLocalPath(current, app_.state.userHome));
    if (!chosen) return;
    std::string folder = chosen->substr(0, kSettingTextMax);
    // The choice takes effect at once; Cancel puts the value the dialog
    // opened with back (done), and writes nothing.
    *setting = folder;
    if (std::string* live = FolderSettingOf(app_.settings, c)) *live = folder;
    if (lines) {
        std::string text = FromDisplay(lines->toPlainText(), JoinPathLines(values_.mapPath));
        lines->setPlainText(DisplayText(ReplacePathLine(text, c.line, folder)));
    } else {
        field->setText(DisplayText(folder));
    }
}

AppSettings SettingsDialogBox::Collected() const {
    AppSettings out = values_;
    auto controls = table_->controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const DialogControl& c = controls[i];
        QWidget* w = widgets_.at(static_cast<int>(i));
        ControlValue original = ReadControl(values_, c);
        ControlValue value = original;
        switch (c.kind) {
            case ControlKind::List:
                value.number = static_cast<QComboBox*>(w)->currentIndex();
                break;
            case ControlKind::Check:
            case ControlKind::PathActive:
                value.number = static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0;
                break;
            case ControlKind::Number:
            case ControlKind::Speed: {
                auto* edit = w->findChild<QLineEdit*>(CtlName(c.id));
                std::string text = edit->text().toStdString();
                // A field left as shown keeps its exact value (a speed of 12.5
                // shows as "13" and must not become 13 by a mere OK).
                if (text != FormatNumberField(c.kind, original)) {
                    // CheckNumberFields has refused every field that gives nothing.
                    if (auto typed = CheckNumberField(c, text, DecimalSeparator())) value = *typed;
                }
                break;
            }
            case ControlKind::Folder:
                value.text = FromDisplay(w->findChild<QLineEdit*>(CtlName(c.id))->text(),
                                         original.text);
                break;
            case ControlKind::PathLines: {
                QStringList shown = static_cast<QPlainTextEdit*>(w)->toPlainText().split('\n');
                std::string text;
                for (int line = 0; line < shown.size(); ++line) {
                    std::string was = line < 6 ? values_.mapPath[line] : std::string();
                    text += FromDisplay(shown[line], was) + "\n";
                }
                value.text = text;
                break;
            }
            case ControlKind::PathButton:
                continue;
        }
        WriteControl(out, c, value);
    }
    return out;
}

std::vector<std::string> SettingsDialogBox::CheckNumberFields() {
    std::vector<std::string> refused;
    QLineEdit* first = nullptr;
    auto controls = table_->controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const DialogControl& c = controls[i];
        if (c.kind != ControlKind::Number && c.kind != ControlKind::Speed) continue;
        auto* edit = widgets_.at(static_cast<int>(i))->findChild<QLineEdit*>(CtlName(c.id));
        std::string text = edit->text().toStdString();
        bool ok = text == FormatNumberField(c.kind, ReadControl(values_, c)) ||
                  CheckNumberField(c, text, DecimalSeparator());
        std::string why = RefusedFieldText(c, values_);
        MarkRefused(edit, !ok, ok ? QString() : QString::fromStdString(why));
        if (ok) continue;
        refused.push_back(why);
        if (!first) first = edit;
    }
    if (first) {
        first->setFocus();
        first->selectAll();
    }
    return refused;
}

void SettingsDialogBox::accept() {
    std::vector<std::string> refused = CheckNumberFields();
    if (!refused.empty()) {
        std::string text;
        for (const std::string& r : refused) text += (text.empty() ? "" : "\n") + r;
        if (app_.ports.ui)
            app_.ports.ui->ShowMessage(text);
        else
            QMessageBox::warning(this, "Mapwanderer", QString::fromStdString(text));
        return;
    }
    ConfirmSettingsDialog(app_, table_->number, Collected());
    QDialog::accept();
}

void SettingsDialogBox::done(int result) {
    if (result != QDialog::Accepted) CancelSettingsDialog(app_, opened_);
    QDialog::done(result);
}

}  // namespace mw
