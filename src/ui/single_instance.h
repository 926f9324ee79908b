// One running program per user: a second start hands the files it was given
// to the first, asks it to come to the front and ends. Which program is the
// first is decided by a lock file, so starts at the same moment agree.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/instance_lock.h"

class QLocalServer;

namespace mw {

// The messages on the socket, one a line: "open <percent-encoded path>" for
// each file, then "raise", which the running program answers with "ok" once
// it has taken every line before it.
QByteArray EncodeHandOver(const QStringList& files);
// Takes the complete lines from the front of `buffer`, leaving a partial
// line in place. Calls `open` for each "open" line and `raise` for "raise";
// other lines are ignored.
template <typename OpenFn, typename RaiseFn>
void DecodeHandOver(QByteArray& buffer, OpenFn&& open, RaiseFn&& raise);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The program that holds the lock file `folder`/`name`.lock is the
    // running one; it alone owns the socket `folder`/`name`.
    SingleInstance(QString folder, QString name, QObject* parent = nullptr);
    // The per-user folder: $XDG_RUNTIME_DIR, or the temporary folder where
    // the session has none.
    static QString DefaultFolder();
    // The per-user name the program uses.
    static QString DefaultName();

    enum class Role {
        First,       // this program runs and answers later starts
        HandedOver,  // a running program took `files` and the raise: end with 0
        Alone,       // no lock could be taken (folder missing or read-only): run unguarded
        Unanswered,  // another program holds the lock but never answered
    };
    // Takes the lock and listens, or hands `files` (absolute paths, in order)
    // to the program that holds it. Starts at the same moment cannot both
    // become First: the lock decides, and the socket is only ever removed or
    // created by its holder. A holder that is still starting up or just
    // quitting is waited for, up to `timeoutMs`: long enough for a holder
    // that starts up among dozens of other starts on a busy machine (it
    // answers only once its window is up).
    Role Start(const QStringList& files, int timeoutMs = 30000);
    // The reason for Alone or Unanswered, for the user.
    QString ErrorText() const { return error_; }

    QString SocketPath() const;
    QString LockPath() const;

    // True when a program answered on the socket and took `files` and the
    // request to raise itself (or is still busy reading them after
    // `timeoutMs`); false when nobody listens or the peer went away unread.
    bool HandOverToRunningInstance(const QStringList& files, int timeoutMs = 1000);

signals:
    void openRequested(const QString& path);
    void raiseRequested();

private:
    bool Listen();

    QString folder_, name_;
    InstanceLock lock_;
    QLocalServer* server_ = nullptr;
    QString error_;
};

template <typename OpenFn, typename RaiseFn>
void DecodeHandOver(QByteArray& buffer, OpenFn&& open, RaiseFn&& raise) {
    qsizetype end;
    while ((end = buffer.indexOf('\n')) >= 0) {
        QByteArray line = buffer.left(end);
        buffer.remove(0, end + 1);
        if (line.endsWith('\r')) line.chop(1);
        if (line.startsWith("open ")) {
            QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(5)));
            if (!path.isEmpty()) open(path);
        } else if (line == "raise") {
            raise();
        }
    }
}

}  // namespace mw
