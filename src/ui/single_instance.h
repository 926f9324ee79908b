// One running program per user: a second start hands the files it was given
// to the first, asks it to come to the front and ends.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

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
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    // The per-user name the program uses.
    static QString DefaultName();
    // True when another instance answered: it was given `files` (absolute
    // paths, in order) and asked to raise itself.
    bool HandOverToRunningInstance(const QStringList& files, int timeoutMs = 1000);
    bool AskRunningInstanceToRaise(int timeoutMs = 1000) {
        return HandOverToRunningInstance({}, timeoutMs);
    }
    // Starts listening; false when the name cannot be taken.
    bool Listen();

signals:
    void openRequested(const QString& path);
    void raiseRequested();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
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
