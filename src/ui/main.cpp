// mapwanderer: the GPS moving-map program.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <utility>

#include "app/app.h"
#include "app/app_data.h"
#include "app/open_file.h"
#include "app/window_placement.h"
#include "config/settings.h"
#include "platform/gps_port_table.h"
#include "platform/system_clock.h"
#include "platform/system_serial_port.h"
#include "support/paths.h"
#include "support/startup_trace.h"
#include "ui/handheld_layout.h"
#include "ui/main_window.h"
#include "ui/map_widget.h"
#include "ui/program_style.h"
#include "ui/qt_sound.h"
#include "ui/qt_system.h"
#include "ui/single_instance.h"
#include "ui/unix_signals.h"

namespace {

constexpr char kAppId[] = "io.github.mapwanderer.Mapwanderer";
constexpr int kUsageExit = 2;

// The icon from the desktop's icon theme; where the program is not installed
// in the system's prefix, the installed or freshly built PNG beside it. The
// PNG is read as PNG: a file of unnamed format would have Qt load every
// image format plugin installed to ask each whether it is theirs.
QIcon ProgramIcon() {
    const QString exe = QCoreApplication::applicationDirPath();
    const QString file = QString("%1.png").arg(kAppId);
    QIcon beside;
    for (const QString& candidate : {exe + "/../share/icons/hicolor/256x256/apps/" + file,
                                     exe + "/../../packaging/icons/256x256/" + file}) {
        if (!QFile::exists(candidate)) continue;
        QImageReader reader(candidate, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull()) {
            beside = QIcon(QPixmap::fromImage(image));
            break;
        }
    }
    return QIcon::fromTheme(kAppId, beside);
}

// Runs `then` once the map's first frame is done: the paint event is seen on
// its way in, and a zero timer fires once it and the flush that follows it
// are done. Work the first frame does not show waits for this.
class AfterFirstPaint : public QObject {
public:
    explicit AfterFirstPaint(std::function<void()> then) : then_(std::move(then)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            mw::TraceStartup("first map paint begins");
            QTimer::singleShot(0, this, [this] {
                mw::TraceStartup("first map frame painted");
                mw::TraceLoadedLibraries();
                then_();
            });
        }
        return false;
    }

private:
    std::function<void()> then_;
};

}  // namespace

int main(int argc, char** argv) {
    mw::TraceStartup("main");
    // Whole device pixels per logical pixel: each map pixel then covers the
    // same square of screen pixels, so the scanned map stays sharp.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication qapp(argc, argv);
    mw::TraceStartup("QApplication (platform plugin, display)");
    QApplication::setApplicationName("Mapwanderer");
    QApplication::setApplicationVersion(mw::ProgramVersion());
    QGuiApplication::setDesktopFileName(kAppId);
    // Buttons, menus and list rows a finger can hit on handhelds and dense
    // screens; one sheet for every window and dialog.
    mw::UseProgramStyle(qapp);
    mw::UseFingerSizedControls(qapp);
    mw::TraceStartup("style sheet");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "GPS moving map for scanned raster maps.\n"
        "Files given are opened by their kind (.map, .plt, .mwf2), in the program "
        "that already runs if there is one.\n"
        "Exit status: 0 ok, 2 usage error; any other: the program failed.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FILE", "A map, track or other file to open.", "[FILE...]");
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "mapwanderer: %s\n", qPrintable(parser.errorText()));
        std::fprintf(stderr, "Try 'mapwanderer --help'.\n");
        return kUsageExit;
    }
    if (parser.isSet("help")) parser.showHelp(0);
    if (parser.isSet("version")) parser.showVersion();

    // Relative names are the caller's: the running program may have another
    // working folder.
    QStringList files;
    for (const QString& f : parser.positionalArguments()) files << QFileInfo(f).absoluteFilePath();

    // A second start hands its files to the running program, brings it to
    // the front and ends; of starts at the same moment exactly one runs.
    mw::SingleInstance instance(mw::SingleInstance::DefaultFolder(),
                                mw::SingleInstance::DefaultName());
    switch (instance.Start(files)) {
        case mw::SingleInstance::Role::First:
            break;
        case mw::SingleInstance::Role::HandedOver:
            return 0;
        case mw::SingleInstance::Role::Alone:
            // Better a second program than none.
            std::fprintf(stderr, "mapwanderer: %s; starting without the single-instance check\n",
                         qPrintable(instance.ErrorText()));
            break;
        case mw::SingleInstance::Role::Unanswered:
            std::fprintf(stderr, "mapwanderer: %s\n", qPrintable(instance.ErrorText()));
            return 1;
    }

    mw::TraceStartup("single-instance check");
    mw::App app;
    app.catalogue.UseIndexFile(mw::CatalogueIndexPathFromEnvironment());
    mw::SystemClock clock;
    mw::QtShell shell;
    const std::string home = mw::ApplicationHomeFromEnvironment();
    // The default sounds, symbols, help and user pointer reach the
    // application home on the first start; the user's own files stay.
    mw::SetExecutableFolder(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    mw::InstallSharedData(mw::SharedDataFolder(), home);
    // The receiver's ports: the Linux devices, or what "comports.ini" names.
    mw::SystemSerialPort serial(mw::LoadGpsPortTable(home));
    mw::TraceStartup("shared data and port table");
    app.ports.clock = &clock;
    app.ports.shell = &shell;
    app.ports.serial = &serial;
    mw::QtSound sound;
    app.ports.sound = &sound;

    mw::MainWindow window(app, home, mw::UserHomeFromEnvironment());
    mw::TraceStartup("main window built");
    // The window icon is the task bar's, not part of the first frame: it is
    // read after that, or after a second should the map not be painted.
    bool iconSet = false;
    auto setIcon = [&iconSet] {
        if (std::exchange(iconSet, true)) return;
        QApplication::setWindowIcon(ProgramIcon());
        mw::TraceStartup("window icon");
    };
    AfterFirstPaint firstPaint(setIcon);
    if (auto* map = window.findChild<mw::MapWidget*>()) map->installEventFilter(&firstPaint);
    QTimer::singleShot(1000, &window, setIcon);
    QObject::connect(&instance, &mw::SingleInstance::raiseRequested, &window,
                     &mw::MainWindow::Raise);
    // Queued: loading may show a message box, whose event loop must not run
    // inside the socket's read handler.
    QObject::connect(
        &instance, &mw::SingleInstance::openRequested, &window,
        [&app](const QString& path) { mw::OpenFileByKind(app, QFile::encodeName(path).toStdString()); },
        Qt::QueuedConnection);

    mw::UnixSignals unixSignals;
    unixSignals.Install();
    QObject::connect(&unixSignals, &mw::UnixSignals::terminateRequested, &window, &QWidget::close);

    // A handheld's screen is filled; elsewhere the window comes back at the
    // size it was left.
    QScreen* screen = QGuiApplication::primaryScreen();
    mw::WindowPlacement place{false, mw::kDefaultWindowWidth, mw::kDefaultWindowHeight};
    if (screen)
        place = mw::StartWindowPlacement(
            {screen->size().width(), screen->size().height()},
            {screen->availableSize().width(), screen->availableSize().height()},
            mw::ParseWindowSize(mw::ReadLastIni(home, mw::kWindowSizeFile)));
    if (place.maximised) {
        // Without a window manager nobody maximises: take the free area.
        window.setGeometry(screen->availableGeometry());
        window.showMaximized();
    } else {
        window.resize(place.width, place.height);
        window.show();
    }
    mw::TraceStartup("window shown");
    window.Start();
    mw::TraceStartup("application started (settings, last map)");
    for (const QString& f : files) mw::OpenFileByKind(app, QFile::encodeName(f).toStdString());
    return qapp.exec();
}
