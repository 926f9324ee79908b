// SIGTERM and SIGINT end the program like closing its window: the handler
// only writes to a pipe, and the event loop runs the orderly shutdown.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace mw {

class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;
    bool Install();

signals:
    void terminateRequested(int signalNumber);

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace mw
