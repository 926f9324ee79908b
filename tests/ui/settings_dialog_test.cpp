#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/app.h"
#include "config/dialog_tables.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "ui/settings_dialog.h"

using namespace mw;

namespace {

// A main file whose values differ from the defaults wherever they can, written
// with LF line ends and wrong key texts: the reader goes by position, so an OK
// must give back the same values in the writer's own form.
std::string UnusualMainFile() {
    const char* values[kAppSettingsKeyCount] = {
        "UTM", "Lake Datum", "/maps/img1", "/maps/img2", "/maps/m1", "0", "750", "1", "5000", "3",
        "5", "0", "1", "2", "1", "300", "4", "1", "Lake Datum", "12.5", "40.0", "99.9",
        "/maps/m2", "/maps/m3", "/data", "0", "1", "0", "2", "12", "4", "1", "0", "1", "0", "0",
        "1", "9", "14", "0", "1", "1", "1", "0", "1", "/maps/m4", "", "/maps/m\xE9", "0", "1",
        "0", "8", "13", "3", "5", "2", "4", "2", "7", "16", "0", "0", "1", "9", "0", "7", "3",
        "1", "1"};
    std::string text;
    for (int i = 0; i < kAppSettingsKeyCount; ++i) text += "Key " + std::to_string(i) + "," + values[i] + "\n";
    return text;
}

QString Ctl(int id) { return QString("ctl%1").arg(id); }

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

    mwtest::TempDir* home_ = nullptr;
    mwtest::FakeUi ui_;
    App* app_ = nullptr;

    std::string File() const { return home_->Read(kMainConfigFile); }
    // The file as the writer writes the values read from the unusual file.
    std::string Canonical() {
        AppSettings s;
        ReadConfiguration(home_->Path(), app_->datums, s);
        std::string text;
        for (const std::string& l : FormatConfigurationLines(s, app_->datums)) text += l + "\r\n";
        return text + "End End End\r\n";
    }
    // Changes control `c` of the open dialog to some other value.
    static void ChangeControl(SettingsDialogBox& d, const DialogControl& c) {
        QWidget* w = d.findChild<QWidget*>(Ctl(c.id));
        if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->setCurrentIndex((combo->currentIndex() + 1) % combo->count());
        else if (auto* check = qobject_cast<QCheckBox*>(w))
            check->toggle();
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->setText(edit->text() + "1");
        else if (auto* lines = qobject_cast<QPlainTextEdit*>(w))
            lines->setPlainText("/new first\n" + lines->toPlainText());
    }

private slots:
    void init() {
        home_ = new mwtest::TempDir;
        home_->Write("datums.dat", "Lake Datum,14,-87,-98,-121\r\n");
        home_->Write(kMainConfigFile, UnusualMainFile());
        app_ = new App;
        app_->ports.ui = &ui_;
        app_->state.programFolder = home_->Path();
        app_->state.userHome = home_->File("user");
        LoadUserDatums(app_->datums, home_->Path());
        ui_.messages.clear();
    }
    void cleanup() {
        delete app_;
        delete home_;
    }

    // One dialog stands for all: they share the box and its OK/Cancel.
    void okRewritesWhatWasReadAndCancelWritesNothing() {
        std::string before = File(), expected = Canonical();
        {
            SettingsDialogBox d(*app_, kDialogMapDataFiles);
            for (const DialogControl& c : d.Table().controls) ChangeControl(d, c);
            d.findChild<QPushButton*>("cancel")->click();
            QCOMPARE(d.result(), int(QDialog::Rejected));
            QCOMPARE(File(), before);
        }
        SettingsDialogBox d(*app_, kDialogMapDataFiles);
        d.findChild<QPushButton*>("ok")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        // Keys of other dialogs too, and "Track Length" 5000 stored as 1000.
        expected.replace(expected.find("Track Length,5000"), 17, "Track Length,1000");
        QCOMPARE(File(), expected);
        QVERIFY(ui_.messages.empty());
    }

    // A folder chosen with "..." is in force at once; Cancel puts back every
    // in-memory value the dialog opened with, for each "..." of each dialog.
    void cancelRestoresAFolderChosenWithDots() {
        for (const DialogTable& table : SettingsDialogs()) {
            for (const DialogControl& c : table.controls) {
                int button = c.kind == ControlKind::PathButton ? c.id
                             : c.kind == ControlKind::Folder   ? c.buttonId
                                                               : 0;
                if (!button) continue;
                const std::string what = std::string(table.caption) + " button " + std::to_string(button);
                const std::string chosen = home_->File("chosen" + std::to_string(button));
                SettingsDialogBox d(*app_, table.number);
                const AppSettings opened = app_->settings;
                d.SetFolderChooser([&](const std::string&) { return chosen; });
                d.findChild<QPushButton*>(Ctl(button))->click();
                QVERIFY2(*FolderSettingOf(app_->settings, c) == chosen, what.c_str());
                d.findChild<QPushButton*>("cancel")->click();
                QVERIFY2(FormatConfigurationLines(app_->settings, app_->datums) ==
                             FormatConfigurationLines(opened, app_->datums),
                         what.c_str());
                QVERIFY2(*FolderSettingOf(app_->settings, c) != chosen, what.c_str());
            }
        }
        QCOMPARE(File(), UnusualMainFile());
    }

    // A number field that is no number of its key's range is marked, OK says
    // which and what it takes, and nothing is stored; the units come from the
    // file ("Distance Unit" 2: feet, "Speed Unit" 1: mph).
    void refusedNumberFieldsKeepTheDialogOpen() {
        const std::string before = File();
        for (const char* typed : {"abc", "", "99999999999", "10001", "-1", "12.5"}) {
            ui_.messages.clear();
            SettingsDialogBox d(*app_, kDialogTrack);
            d.show();
            auto* unit = d.findChild<QLabel*>(Ctl(1010) + "unit");
            QVERIFY(unit);
            QCOMPARE(unit->text(), QString("ft"));
            auto* edit = d.findChild<QLineEdit*>(Ctl(1010));
            edit->setText(typed);
            d.findChild<QPushButton*>("ok")->click();
            QVERIFY2(d.isVisible(), typed);
            QVERIFY2(d.result() != QDialog::Accepted, typed);
            QVERIFY(edit->property("refused").toBool());
            QCOMPARE(ui_.messages, std::vector<std::string>{
                                       "Log Dist takes a whole number from 0 to 10000 ft"});
            QCOMPARE(File(), before);
            d.reject();
        }
        // Typed as a number of its range, even 0 (which switches the log off), it is taken.
        ui_.messages.clear();
        SettingsDialogBox d(*app_, kDialogTrack);
        d.show();
        d.findChild<QLineEdit*>(Ctl(1010))->setText(" 0 ");
        d.findChild<QPushButton*>("ok")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(ui_.messages.empty());
        QCOMPARE(app_->settings.nmeaLogDistance, 0);
    }

    // "7,5" in a speed field: 7.5 where the locale writes a decimal comma,
    // refused (never 7) where it does not; "7.5" is taken in both.
    void decimalCommaInASpeedField() {
        struct Case {
            QLocale locale;
            const char* typed;
            bool taken;
        };
        const Case cases[] = {{QLocale(QLocale::German, QLocale::Germany), "7,5", true},
                              {QLocale(QLocale::German, QLocale::Germany), "7.5", true},
                              {QLocale::c(), "7,5", false},
                              {QLocale::c(), "7.5", true}};
        for (const Case& c : cases) {
            const QString what = c.locale.name() + " " + c.typed;
            QLocale::setDefault(c.locale);
            ui_.messages.clear();
            SettingsDialogBox d(*app_, kDialogSpeedMonitor);
            d.show();
            auto* unit = d.findChild<QLabel*>(Ctl(1025) + "unit");
            QVERIFY(unit);
            QCOMPARE(unit->text(), QString("mph"));
            d.findChild<QLineEdit*>(Ctl(1025))->setText(c.typed);
            d.findChild<QPushButton*>("ok")->click();
            QVERIFY2((d.result() == QDialog::Accepted) == c.taken, qPrintable(what));
            if (c.taken) {
                QCOMPARE(app_->settings.minSpeed, 7.5);
                QVERIFY(File().find("Min Speed,7.5\r\n") != std::string::npos);
            } else {
                QCOMPARE(ui_.messages,
                         std::vector<std::string>{"Min Speed takes a number from 0 to 1000 mph"});
                QCOMPARE(app_->settings.minSpeed, 12.5);
                d.reject();
            }
            home_->Write(kMainConfigFile, UnusualMainFile());
        }
        QLocale::setDefault(QLocale::system());
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
