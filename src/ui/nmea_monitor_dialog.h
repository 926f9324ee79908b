// "Display NMEA Input": the raw lines from the receiver in a list that
// restarts after 200 lines; "Start/Stop" freezes and resumes it.
#pragma once

#include <QDialog>
#include <QTimer>

#include "app/app.h"

class QListWidget;
class QPushButton;

namespace mw {

class NmeaMonitorDialog : public QDialog {
    Q_OBJECT
public:
    NmeaMonitorDialog(App& app, QWidget* parent);
    ~NmeaMonitorDialog() override;
    QListWidget* List() const { return list_; }
    QPushButton* StartStop() const { return startStop_; }
    // Shows what the monitor holds now; called by the timer.
    void Poll();

protected:
    void done(int result) override;

private:
    void Close();
    App& app_;
    QListWidget* list_;
    QPushButton* startStop_;
    QTimer poll_;
    std::uint64_t shownVersion_ = ~std::uint64_t{0};
    bool open_ = false;
};

}  // namespace mw
