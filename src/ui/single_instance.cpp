#include "ui/single_instance.h"

#include <unistd.h>
#include <QLocalServer>
#include <QLocalSocket>

namespace mw {

namespace {
constexpr char kRaiseMessage[] = "raise\n";
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

QString SingleInstance::DefaultName() { return QString("mapwanderer-%1").arg(getuid()); }

bool SingleInstance::AskRunningInstanceToRaise(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kRaiseMessage);
    socket.waitForBytesWritten(timeoutMs);
    // Wait for the acknowledgement so the first instance has seen the request
    // before this one ends.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A program that crashed leaves its socket file behind; nobody
        // answered on it (AskRunningInstanceToRaise failed), so take it over.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("raise")) {
                    s->write("ok\n");
                    s->flush();
                    emit raiseRequested();
                }
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace mw
