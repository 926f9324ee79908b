// The "Name Search" dialog: a search text, a code list, "L" and "M", the
// buttons, and a list of the gazetteer's records read on demand. Everything
// it does goes through the core's name search (app/name_commands.h); the
// filter runs on a worker thread and the dialog polls it from a timer, so
// results only ever reach the list on the GUI thread.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;

namespace mw {

struct App;

// The list's rows: every record, or the filter's matches. Rows are read from
// the file when the view asks for them, so a file of millions of records
// opens at once. A read that finds the file changed on disk emits
// fileChanged once, after the painting that asked for it.
class NameListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit NameListModel(App& app, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // The file or the filter changed.
    void Reset();

signals:
    void fileChanged();

private:
    App& app_;
    mutable bool changeSignalled_ = false;
};

class NameSearchDialog : public QDialog {
    Q_OBJECT
public:
    NameSearchDialog(App& app, QWidget* parent);
    ~NameSearchDialog() override;

    NameListModel* Model() const { return model_; }
    // The selected row, or -1.
    int SelectedRow() const;

protected:
    void done(int result) override;

private:
    void StartOrClearFilter();
    void InputChanged();
    void Poll();
    void MapPressed();
    void ToggleHeight();
    void KeepPlaceInSight();
    void ShowState();
    void FileChanged();

    App& app_;
    QLineEdit* text_;
    QComboBox* codes_;
    QCheckBox* prefix_;
    QCheckBox* inside_;
    QPushButton *filter_, *load_, *size_, *find_, *map_, *waypoint_, *goTo_;
    QTreeView* list_;
    QLabel* progress_;
    NameListModel* model_;
    QTimer* timer_;
    int ticks_ = 0;
    int fullHeight_ = 0;
    bool shortForm_ = false;
};

}  // namespace mw
