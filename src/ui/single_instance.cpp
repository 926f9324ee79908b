#include "ui/single_instance.h"

#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

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

SingleInstance::SingleInstance(QString folder, QString name, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), name_(std::move(name)) {}

QString SingleInstance::DefaultFolder() {
    // The runtime folder is the user's own (mode 0700) and emptied at
    // logout; the temporary folder is shared, hence the user id in the name.
    // A socket's path must fit in sockaddr_un: a folder too deep for it
    // would leave the first program unreachable and every later start
    // waiting, so the next candidate is taken.
    const auto fits = [](const QString& folder) {
        return QFile::encodeName(folder + "/" + DefaultName()).size() <
               qsizetype(sizeof(sockaddr_un{}.sun_path));
    };
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir() &&
        fits(runtime))
        return runtime;
    const QString temporary = QDir::tempPath();
    return fits(temporary) ? temporary : QStringLiteral("/tmp");
}

QString SingleInstance::DefaultName() { return QString("mapwanderer-%1").arg(getuid()); }

QString SingleInstance::SocketPath() const { return folder_ + "/" + name_; }
QString SingleInstance::LockPath() const { return SocketPath() + ".lock"; }

SingleInstance::Role SingleInstance::Start(const QStringList& files, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        switch (lock_.TryLock(QFile::encodeName(LockPath()).toStdString())) {
            case InstanceLock::State::Held:
                if (Listen()) return Role::First;
                // Holding the lock still keeps a second program from
                // starting; it only cannot be reached.
                error_ = QString("cannot listen on %1: %2").arg(SocketPath(), server_->errorString());
                return Role::Alone;
            case InstanceLock::State::Failed:
                error_ = QString("cannot lock %1: %2")
                             .arg(LockPath(), QString::fromLocal8Bit(std::strerror(lock_.Error())));
                return Role::Alone;
            case InstanceLock::State::Busy:
                break;
        }
        // The holder may not listen yet (it started a moment ago) or may be
        // quitting (its socket is gone, the lock not yet): ask again until
        // it answers or lets the lock go.
        const qint64 left = timeoutMs - clock.elapsed();
        if (HandOverToRunningInstance(files, int(std::clamp<qint64>(left, 1, 1000))))
            return Role::HandedOver;
        if (clock.elapsed() >= timeoutMs) {
            error_ = QString("the program that holds %1 does not answer").arg(LockPath());
            return Role::Unanswered;
        }
        QThread::msleep(20);
    }
}

bool SingleInstance::HandOverToRunningInstance(const QStringList& files, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(EncodeHandOver(files));
    socket.waitForBytesWritten(timeoutMs);
    // Wait for the acknowledgement so the first instance has taken the files
    // and the request before this one ends. A peer that goes away without
    // it was quitting and took nothing; one that is merely slow (a modal
    // dialog, a long load) still reads them later.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return socket.state() == QLocalSocket::ConnectedState;
    }
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the lock's holder gets here: a socket file left now is from a
    // program that ended without removing it (a crash), never a live one's.
    QLocalServer::removeServer(SocketPath());
    if (!server_->listen(SocketPath())) return false;
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
