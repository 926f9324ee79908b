// "Get Path": a tree of folders and files, expanded on demand, from "/" and
// from the user's home (where maps usually live). It opens at the folder it
// is given, expanded and selected. Selecting, expanding or collapsing a
// folder makes it the chosen path, and so does a folder path typed into the
// path field; OK returns it. Files are shown for orientation only: a double
// tap on one never starts it, whatever it is.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace mw {

class FolderPicker : public QDialog {
    Q_OBJECT
public:
    // `sharedPath` is the path shown at first, the folder the tree opens at,
    // and what OK returns when nothing else is chosen; `userHome` gives the
    // second root (none when empty).
    FolderPicker(const std::string& sharedPath, const std::string& userHome,
                 QWidget* parent = nullptr);
    // The folder last selected, expanded, collapsed or typed (or the starting path).
    const std::string& SharedPath() const { return sharedPath_; }
    QTreeWidget* Tree() const { return tree_; }
    QLineEdit* PathField() const { return pathField_; }
    // True until the tree has been opened down to the starting folder (or as
    // far as it exists).
    bool Opening() const { return !walkTarget_.empty(); }

    // OK: a typed path must be a folder; otherwise the field is marked, the
    // dialog stays open and nothing is chosen.
    void accept() override;

signals:
    // A folder's children are in the tree.
    void listed();

private:
    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const std::string& path,
                               const std::string& name);
    void Expand(QTreeWidgetItem* item);
    void Collapse(QTreeWidgetItem* item);
    void SetShared(const std::string& path);
    void Select(QTreeWidgetItem* item);
    // Opens the tree one level further towards walkTarget_, from `item` whose
    // children are listed (or are being listed).
    void WalkFrom(QTreeWidgetItem* item);
    void StopWalk();

    std::string sharedPath_;
    std::string userHome_;
    QLineEdit* pathField_;
    QLabel* problem_;
    QTreeWidget* tree_;
    bool typed_ = false;       // the path field holds what the user typed
    bool walking_ = false;     // tree changes made by the opening walk choose nothing
    std::string walkTarget_;   // the folder the tree is being opened at
    std::string walkWaiting_;  // the folder whose listing the walk waits for
};

// Runs the picker modally; the chosen folder after OK, nullopt after Cancel.
std::optional<std::string> PickFolder(QWidget* parent, const std::string& start,
                                      const std::string& userHome);

}  // namespace mw
