// mapwanderer: the GPS moving-map program.
#include <QApplication>
#include <QScreen>

#include "app/app.h"
#include "platform/gps_port_table.h"
#include "platform/system_clock.h"
#include "platform/system_serial_port.h"
#include "support/paths.h"
#include "ui/main_window.h"
#include "ui/qt_system.h"
#include "ui/single_instance.h"
#include "ui/unix_signals.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Mapwanderer");

    // A second start brings the running program to the front and ends.
    mw::SingleInstance instance(mw::SingleInstance::DefaultName());
    if (instance.AskRunningInstanceToRaise()) return 0;
    instance.Listen();

    mw::App app;
    mw::SystemClock clock;
    mw::QtShell shell;
    const std::string home = mw::ApplicationHomeFromEnvironment();
    // The receiver's ports: the Linux devices, or what "comports.ini" names.
    mw::SystemSerialPort serial(mw::LoadGpsPortTable(home));
    app.ports.clock = &clock;
    app.ports.shell = &shell;
    app.ports.serial = &serial;

    mw::MainWindow window(app, home, mw::UserHomeFromEnvironment());
    QObject::connect(&instance, &mw::SingleInstance::raiseRequested, &window,
                     &mw::MainWindow::Raise);

    mw::UnixSignals unixSignals;
    unixSignals.Install();
    QObject::connect(&unixSignals, &mw::UnixSignals::terminateRequested, &window, &QWidget::close);

    // On a screen too small for the default window the program fills it, as
    // on a handheld.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen && (screen->availableSize().width() < 480 || screen->availableSize().height() < 700))
        window.showMaximized();
    else
        window.show();
    window.Start();
    return qapp.exec();
}
