// SIGTERM, SIGINT and SIGHUP end the program like closing its window: the
// handler only writes to a pipe, and the event loop runs the orderly
// shutdown (which never waits for the user), then leaves every event loop,
// a message box's included. Whatever happens, the program is gone within a
// second of the signal: a deadline ends it there (removing the temporaries
// of saves under way), and a second signal ends it at once.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace mw {

class UnixSignals : public QObject {
    Q_OBJECT
public:
    // How long the orderly shutdown may take after a signal.
    static constexpr unsigned kDeadlineSeconds = 1;

    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;
    bool Install();

signals:
    void terminateRequested(int signalNumber);

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace mw
