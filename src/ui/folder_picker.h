// "Get Path": a tree of folders and files, expanded on demand, from "/" and
// from the user's home (where maps usually live). Expanding or collapsing a
// folder makes it the chosen path; OK returns it. Files are shown for
// orientation only: a double tap on one never starts it, whatever it is.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace mw {

class FolderPicker : public QDialog {
    Q_OBJECT
public:
    // `sharedPath` is the path shown at first and returned when no folder is
    // expanded or collapsed; `userHome` gives the second root (none when empty).
    FolderPicker(const std::string& sharedPath, const std::string& userHome,
                 QWidget* parent = nullptr);
    // The folder last expanded or collapsed (or the starting path).
    const std::string& SharedPath() const { return sharedPath_; }
    QTreeWidget* Tree() const { return tree_; }

signals:
    // A folder's children are in the tree.
    void listed();

private:
    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const std::string& path,
                               const std::string& name);
    void Expand(QTreeWidgetItem* item);
    void Collapse(QTreeWidgetItem* item);
    void SetShared(const std::string& path);

    std::string sharedPath_;
    QLineEdit* pathField_;
    QTreeWidget* tree_;
};

// Runs the picker modally; the chosen folder after OK, nullopt after Cancel.
std::optional<std::string> PickFolder(QWidget* parent, const std::string& start,
                                      const std::string& userHome);

}  // namespace mw
