// The "Import Map…" dialog: a georeferenced raster, an optional coordinate
// system for a world file, the map's name and the maps folder, and a
// progress bar. The import itself is the core's (raster/map_import.h) and
// runs on a worker thread; Stop sets its stop flag, and the core then leaves
// nothing half-written. Results reach the widgets only on the GUI thread.
#pragma once

#include <QDialog>

#include <atomic>
#include <memory>
#include <thread>

#include "raster/map_import.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace mw {

struct App;

class ImportMapDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportMapDialog(App& app, QWidget* parent = nullptr);
    ~ImportMapDialog() override;

    // For tests: the fields and the start and stop of an import.
    void SetInput(const QString& path);
    void SetFolder(const QString& folder);
    void SetCrs(const QString& crs);
    void Start();
    void Stop();
    bool Running() const { return worker_.joinable() && !finished_; }
    // The last import's outcome, once it has finished.
    const ImportOutcome& LastOutcome() const { return outcome_; }

signals:
    void importFinished(bool ok);

protected:
    void reject() override;

private:
    void ChooseInput();
    void ChooseFolder();
    void Finish();
    void Join();

    App& app_;
    QLineEdit* input_;
    QLineEdit* crs_;
    QLineEdit* name_;
    QLineEdit* folder_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* import_;
    QPushButton* stop_;
    QPushButton* close_;
    std::thread worker_;
    std::atomic<bool> stop_flag_{false};
    std::atomic<int> permille_{0};
    bool finished_ = true;
    ImportOutcome outcome_;
};

}  // namespace mw
