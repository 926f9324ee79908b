// One running program per user: a second start asks the first to come to the
// front and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace mw {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    // The per-user name the program uses.
    static QString DefaultName();
    // True when another instance answered and was asked to raise itself.
    bool AskRunningInstanceToRaise(int timeoutMs = 1000);
    // Starts listening; false when the name cannot be taken.
    bool Listen();

signals:
    void raiseRequested();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace mw
