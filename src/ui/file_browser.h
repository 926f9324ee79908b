// The program's own "Open File" browser: a name field, the folder's list
// ("Up One Level", folders, files of the mode's kind) and OK/Cancel, sized
// for a portrait handheld. Folders are listed off the GUI thread, so a slow
// or huge folder never freezes the window. Widgets are named by their
// control numbers ("ctl1114" name field, "ctl1112" list, "ctl1120" type
// label, "ctl1121" path label).
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QIcon>
#include <functional>
#include <string>
#include <vector>

#include "browse/file_list.h"
#include "browse/browser_modes.h"

class QLabel;
class QLineEdit;
class QTreeView;

namespace mw {

// The icon of each kind of row, drawn here rather than shipped.
QIcon FileKindIcon(FileIcon icon);

// Lists `folder` on a worker thread and calls `done` with its entries on the
// GUI thread, unless `receiver` is gone by then. The worker never touches
// `receiver`, so a listing that hangs (a dead network mount) costs a thread,
// never the window.
void ListFolderInBackground(QObject* receiver, const std::string& folder,
                            std::function<void(std::vector<FolderEntry>)> done);

// The list's rows as a table: Name, Type, Date, Size.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void SetRows(std::vector<FileRow> rows);
    const std::vector<FileRow>& Rows() const { return rows_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<FileRow> rows_;
};

class FileBrowserDialog : public QDialog {
    Q_OBJECT
public:
    // `folder` is where the list starts; in save mode the name field starts
    // with `proposedName`.
    FileBrowserDialog(const BrowserMode& mode, const std::string& folder,
                      const std::string& proposedName, QWidget* parent = nullptr);

    // After OK: the name chosen (bytes of the row when a row's name was
    // taken) and the folder it lies in.
    const std::string& ChosenName() const { return chosen_; }
    const std::string& CurrentFolder() const { return folder_; }
    // True while the current folder is still being listed.
    bool Listing() const { return listing_; }
    const FileListModel& Model() const { return model_; }

    // Row actions as a tap and a double tap do them (tests use these too).
    void TapRow(int row);
    void DoubleTapRow(int row);

    void accept() override;
    void reject() override;

signals:
    // The current folder's rows are in the list.
    void listed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refill();
    void ShowFolder();

    const BrowserMode& mode_;
    std::string folder_;
    std::string chosen_;
    bool listing_ = false;
    int generation_ = 0;
    FileListModel model_;
    QLineEdit* name_;
    QTreeView* list_;
    QLabel* typeLabel_;
    QLabel* pathLabel_;
};

}  // namespace mw
