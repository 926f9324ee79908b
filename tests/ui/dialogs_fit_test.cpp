// Every dialog fits a 240 × 320 handheld screen: the test gives the
// offscreen platform such a screen, opens each dialog in turn and asserts
// that the dialog and every control it shows lie on the screen. A control
// inside a scroll area counts when the scroll area is on the screen (the
// user scrolls to it).
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "../core/names/dbase_writer.h"
#include "app/app.h"
#include "app/app_data.h"
#include "app/name_commands.h"
#include "browse/browser_modes.h"
#include "testlib/fake_ui.h"
#include "names/name_filter.h"
#include "ui/file_browser.h"
#include "ui/file_requests.h"
#include "ui/folder_picker.h"
#include "ui/handheld_layout.h"
#include "ui/help_window.h"
#include "ui/map_dialogs.h"
#include "ui/name_search_dialog.h"
#include "ui/nmea_monitor_dialog.h"
#include "ui/satellites_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/waypoint_edit_dialog.h"
#include "ui/waypoint_list_dialog.h"

using namespace mw;

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 320;
// The narrowest a control may become: a finger's width less its tolerance.
constexpr int kNarrowest = 24;

bool IsControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLabel*>(w);
}

// The innermost scroll area whose scrolled contents hold `w`, or null.
const QScrollArea* ScrolledBy(const QWidget* w, const QWidget* dialog) {
    for (const QWidget* p = w->parentWidget(); p && p != dialog; p = p->parentWidget())
        if (auto* area = qobject_cast<const QScrollArea*>(p->parentWidget()))
            if (area->viewport() == p) return area;
    return nullptr;
}

// Inside the parts of another control (a list's viewport, a spin box's
// edit, a combo box's popup): that control is checked itself.
bool PartOfAnotherControl(const QWidget* w, const QWidget* dialog) {
    for (const QWidget* p = w->parentWidget(); p && p != dialog; p = p->parentWidget())
        if (IsControl(p) && !qobject_cast<const QScrollArea*>(p)) return true;
    return false;
}

// With MW_DIALOG_SHOTS naming a folder, each checked dialog's screen is
// saved there as a picture (for a look at the layouts on an X server).
void SaveShot(QWidget* dialog, const QString& what) {
    const QString folder = qEnvironmentVariable("MW_DIALOG_SHOTS");
    if (folder.isEmpty()) return;
    QString name = what;
    name.replace(QRegularExpression("[^A-Za-z0-9]+"), "_");
    dialog->screen()->grabWindow(0).save(QDir(folder).filePath(name + ".png"));
}

QRect OnScreen(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// The controls of `dialog` that lie off the screen, named for the message.
QStringList Outside(QWidget* dialog) {
    const QRect screen = dialog->screen()->availableGeometry();
    QStringList out;
    if (!screen.contains(dialog->frameGeometry()))
        out << QString("the dialog itself at %1,%2 %3x%4")
                   .arg(dialog->frameGeometry().x()).arg(dialog->frameGeometry().y())
                   .arg(dialog->frameGeometry().width()).arg(dialog->frameGeometry().height());
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!IsControl(w) || !w->isVisibleTo(dialog) || w->isWindow()) continue;
        if (PartOfAnotherControl(w, dialog)) continue;
        const QScrollArea* area = ScrolledBy(w, dialog);
        // A scrolled control must lie within the scrolled page; the page's
        // area, like every other control, on the screen.
        const bool inside = area ? QRect(area->widget()->mapToGlobal(QPoint(0, 0)),
                                         area->widget()->size())
                                       .contains(OnScreen(w))
                                 : screen.contains(OnScreen(w));
        // Fitting by squeezing does not count: what a finger taps keeps a
        // finger's size.
        const bool tapped = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                            qobject_cast<QLineEdit*>(w);
        if (tapped && (w->height() < FingerSize(w) || w->width() < kNarrowest))
            out << QString("%1 '%2' (%3) squeezed to %4x%5")
                       .arg(w->metaObject()->className(),
                            qobject_cast<QAbstractButton*>(w) ? qobject_cast<QAbstractButton*>(w)->text()
                                                              : QString(),
                            w->objectName())
                       .arg(w->width()).arg(w->height());
        if (!inside) {
            const QRect r = OnScreen(w);
            QString text;
            if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
            if (auto* l = qobject_cast<QLabel*>(w)) text = l->text().left(20);
            out << QString("%1 '%2' (%3) at %4,%5 %6x%7")
                       .arg(w->metaObject()->className(), text, w->objectName())
                       .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
    }
    return out;
}

// Shows a dialog built by the code under test the way exec() would place
// it, and checks it.
void CheckShown(QWidget* dialog, const char* what) {
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QApplication::processEvents();
    const QStringList outside = Outside(dialog);
    SaveShot(dialog, what);
    QVERIFY2(outside.isEmpty(),
             qPrintable(QString("%1: off the screen: %2").arg(what, outside.join("; "))));
    dialog->hide();
}

// For the modal requests that build their dialog inside: checks the modal
// dialog once it is up, then closes it.
void CheckModalThen(const char* what, const std::function<void()>& open) {
    bool seen = false;
    QStringList outside;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        QTest::qWaitForWindowExposed(modal);
        QApplication::processEvents();
        seen = true;
        outside = Outside(modal);
        SaveShot(modal, what);
        if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
    });
    open();
    QVERIFY2(seen, what);
    QVERIFY2(outside.isEmpty(),
             qPrintable(QString("%1: off the screen: %2").arg(what, outside.join("; "))));
}

}  // namespace

class DialogsFitTest : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    App app_;
    mwtest::FakeUi ui_;
    QWidget* main_ = nullptr;

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(kWidth, kHeight));
        app_.ports.ui = &ui_;
        app_.state.programFolder = home_.path().toStdString();
        app_.state.userHome = home_.path().toStdString();
        SetPortrait(app_.mapView, true);
        main_ = new QWidget;
        main_->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_));
    }
    void cleanupTestCase() { delete main_; }

    void nameSearch() {
        NameSearchDialog d(app_, main_);
        CheckShown(&d, "Name Search");
    }

    // A gazetteer of `count` places, all of kind MT, loaded into the app.
    void LoadPlaces(int count) {
        mwtest::DbfTable table;
        table.fields = mwtest::GazetteerFields(20);
        for (int i = 0; i < count; ++i)
            table.records.push_back({QString("PEAK %1").arg(i, 5, 10, QChar('0')).toStdString(), "MT",
                                     "", "56.5", "-5.0"});
        QFile file(home_.filePath("peaks.names"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const std::string bytes = table.Bytes();
        file.write(bytes.data(), qint64(bytes.size()));
        file.close();
        QVERIFY(LoadNamesDatabase(app_, file.fileName().toStdString()));
    }

    void nameSearchMapKeepsThePlaceInSight() {
        LoadPlaces(3);
        int shown = 0;
        app_.names.actions.showOnMap = [&](double, double) { ++shown; };
        NameSearchDialog d(app_, main_);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        auto* list = d.findChild<QTreeView*>("nameList");
        list->setCurrentIndex(d.Model()->index(1, 0));
        d.findChild<QPushButton*>("buttonMap")->click();
        QApplication::processEvents();
        QCOMPARE(shown, 1);
        // The place is in the middle of the map, which fills the screen
        // below the bars: the dialog now lies wholly below the middle, and
        // still fits.
        const QRect free = d.screen()->availableGeometry();
        QVERIFY2(d.frameGeometry().top() > free.center().y(),
                 qPrintable(QString("dialog top at %1").arg(d.frameGeometry().top())));
        QVERIFY2(Outside(&d).isEmpty(), qPrintable(Outside(&d).join("; ")));
        SaveShot(&d, "Name Search after Map");
        // "<>" brings the list back over the whole screen.
        d.findChild<QPushButton*>("buttonSize")->click();
        QApplication::processEvents();
        QVERIFY(list->isVisible());
        QTRY_VERIFY2(Outside(&d).isEmpty(), qPrintable(Outside(&d).join("; ")));
        d.reject();
        app_.names.actions.showOnMap = nullptr;
    }

    void nameSearchSaysWhenTheResultsStoppedAtTheLimit() {
        LoadPlaces(int(kMaxNameResults) + 1);
        NameSearchDialog d(app_, main_);
        d.findChild<QCheckBox*>("checkL")->setChecked(false);
        d.findChild<QPushButton*>("buttonF")->click();
        QTRY_VERIFY_WITH_TIMEOUT(d.windowTitle().contains("peaks") && !NameFilterRunning(app_), 20000);
        QCOMPARE(d.Model()->rowCount(), int(kMaxNameResults));
        QVERIFY2(d.windowTitle().endsWith(" (first 5000)"), qPrintable(d.windowTitle()));
        // Below the limit nothing is said.
        d.findChild<QLineEdit*>("searchText")->setText("PEAK 0000");
        d.findChild<QPushButton*>("buttonF")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!NameFilterRunning(app_) && d.Model()->rowCount() == 10, 20000);
        QVERIFY2(!d.windowTitle().contains("first"), qPrintable(d.windowTitle()));
        d.reject();
    }

    void lists() {
        std::vector<std::string> lines(40, std::string(90, 'W'));
        ListDialog info("Map Information", lines, main_);
        CheckShown(&info, "Map Information");
        MapsFoundDialog found(lines, [](int) {}, main_);
        CheckShown(&found, "Maps Found");
    }

    void waypointsNmeaSatellites() {
        app_.waypoints.Put(0, Waypoint{"Mill", 50.2, 0.3});
        WaypointListDialog waypoints(app_, main_);
        CheckShown(&waypoints, "Waypoints");
        WaypointEditDialog editor(app_, 0, main_);
        CheckShown(&editor, "Waypoint editor");
        NmeaMonitorDialog nmea(app_, main_);
        CheckShown(&nmea, "NMEA monitor");
        SatellitesDialog satellites(app_, main_);
        CheckShown(&satellites, "Satellites");
    }

    void settings_data() {
        QTest::addColumn<int>("number");
        for (int n : {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void settings() {
        QFETCH(int, number);
        SettingsDialogBox d(app_, number, main_);
        CheckShown(&d, qPrintable(QString("settings dialog %1").arg(number)));
    }

    void ownFileBrowserAndFolderPicker() {
        FileBrowserDialog open(*FindBrowserMode("Open Map File", false), home_.path().toStdString(),
                               "", main_);
        CheckShown(&open, "Open Map File");
        FileBrowserDialog save(*FindBrowserMode("Save Track File", true), home_.path().toStdString(),
                               "Track.plt", main_);
        CheckShown(&save, "Save Track File");
        FolderPicker picker(home_.path().toStdString(), home_.path().toStdString(), main_);
        CheckShown(&picker, "Get Path");
    }

    // Opening by a typed path used to end with nothing loaded and no word.
    void typedPathIsRefusedWithAReason() {
        FileBrowserDialog open(*FindBrowserMode("Load Names File", false), home_.path().toStdString(),
                               "", main_);
        open.show();
        QVERIFY(QTest::qWaitForWindowExposed(&open));
        open.findChild<QLineEdit*>("ctl1114")->setText(home_.filePath("peaks.names"));
        QString said;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said = box->text();
                box->accept();
            }
        });
        open.findChild<QPushButton*>("ok")->click();
        QVERIFY2(said.contains("cannot contain \"/\"") && said.contains("folder"), qPrintable(said));
        QVERIFY(open.isVisible());  // still open for a proper choice
        QVERIFY(open.ChosenName().empty());
        open.reject();
    }

    void gpxRequests() {
        const std::vector<FileFilter> gpx{{"GPX files", "*.gpx"}};
        CheckModalThen("Import GPX...", [&] {
            ShowOpenDialog(main_, app_, "Import GPX...", home_.path().toStdString(), gpx);
        });
        CheckModalThen("Export GPX...", [&] {
            ShowSaveDialog(main_, app_, "Export GPX...", (home_.path() + "/Export.gpx").toStdString(),
                           gpx);
        });
    }

    void helpAndMessages() {
        // The bundled page, as the program shows it.
        SetExecutableFolder(QCoreApplication::applicationDirPath().toStdString());
        const QString page = QString::fromStdString(SharedDataFolder()) + "/help/mawce_d_help.html";
        QVERIFY2(QFile::exists(page), qPrintable(page));
        HelpWindow help(page, main_);
        QVERIFY(help.Browser()->toPlainText().contains("(first 5000)"));
        CheckShown(&help, "Help");
        QMessageBox about(QMessageBox::Warning, "Mapwanderer", QString::fromStdString(AboutText()),
                          QMessageBox::Ok, main_);
        CheckShown(&about, "About");
    }
};

int main(int argc, char** argv) {
    // The offscreen platform takes its screens from a file.
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    const QString config = dir.filePath("screen.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(QString(R"({"screens":[{"name":"handheld","x":0,"y":0,"width":%1,"height":%2,)"
                       R"("logicalDpi":96,"dpr":1}]})")
                   .arg(kWidth)
                   .arg(kHeight)
                   .toUtf8());
    file.close();
    // On an X server (for pictures of the layouts) its screen is used as it is.
    if (qgetenv("QT_QPA_PLATFORM") != "xcb")
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication app(argc, argv);
    UseFingerSizedControls(app);
    DialogsFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "dialogs_fit_test.moc"
