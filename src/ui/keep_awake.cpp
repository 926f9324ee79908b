#include "ui/keep_awake.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace mw {

void KeepDesktopAwake() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
        "org.freedesktop.ScreenSaver", "SimulateUserActivity");
    bus.call(call, QDBus::NoBlock);
}

}  // namespace mw
