#include "ui/single_instance.h"

#include <unistd.h>

#include <memory>

#include <QLocalServer>
#include <QLocalSocket>

namespace mw {

namespace {
// A line longer than any path could be is not a message: the peer is not
// one of ours, and its bytes are dropped rather than kept without end.
constexpr qsizetype kMaxPendingBytes = 64 * 1024;
}

QByteArray EncodeHandOver(const QStringList& files) {
    QByteArray out;
    // Percent-encoding keeps a line break inside a file name from ending the
    // line early.
    for (const QString& f : files) out += "open " + f.toUtf8().toPercentEncoding("/") + "\n";
    out += "raise\n";
    return out;
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

QString SingleInstance::DefaultName() { return QString("mapwanderer-%1").arg(getuid()); }

bool SingleInstance::HandOverToRunningInstance(const QStringList& files, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(EncodeHandOver(files));
    socket.waitForBytesWritten(timeoutMs);
    // Wait for the acknowledgement so the first instance has taken the files
    // and the request before this one ends.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A program that crashed leaves its socket file behind; nobody
        // answered on it (HandOverToRunningInstance failed), so take it over.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            connect(s, &QLocalSocket::readyRead, this, [this, s, buffer] {
                buffer->append(s->readAll());
                DecodeHandOver(
                    *buffer, [this](const QString& path) { emit openRequested(path); },
                    [this, s] {
                        s->write("ok\n");
                        s->flush();
                        emit raiseRequested();
                    });
                if (buffer->size() > kMaxPendingBytes) buffer->clear();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace mw
