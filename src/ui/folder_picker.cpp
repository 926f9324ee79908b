#include "ui/folder_picker.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "browse/file_list.h"
#include "ui/file_browser.h"
#include "ui/handheld_layout.h"

namespace mw {

namespace {

constexpr int kPathRole = Qt::UserRole;        // the item's full path, as bytes
constexpr int kFolderRole = Qt::UserRole + 1;  // true for folders
constexpr int kListedRole = Qt::UserRole + 2;  // children inserted (or being listed)

std::string PathOf(const QTreeWidgetItem* item) {
    return item->data(0, kPathRole).toByteArray().toStdString();
}

bool EntryBefore(const FolderEntry& a, const FolderEntry& b) {
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    std::string la = lower(a.name), lb = lower(b.name);
    return la != lb ? la < lb : a.name < b.name;
}

}  // namespace

FolderPicker::FolderPicker(const std::string& sharedPath, const std::string& userHome,
                           QWidget* parent)
    : QDialog(parent), sharedPath_(sharedPath) {
    setObjectName("dlg147");
    setWindowTitle("Get Path");
    bool small = IsSmallScreen(parent);

    pathField_ = new QLineEdit(QString::fromStdString(EscapedName(sharedPath_)), this);
    pathField_->setObjectName("ctl1117");
    // The result is the folder last expanded or collapsed, not this text.
    pathField_->setReadOnly(true);
    MakeFingerSized(pathField_, small);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName("ctl1029");
    tree_->setHeaderHidden(true);
    tree_->setIconSize(small ? QSize(24, 22) : QSize(16, 15));
    tree_->setUniformRowHeights(true);
    tree_->setExpandsOnDoubleClick(true);
    connect(tree_, &QTreeWidget::itemExpanded, this, &FolderPicker::Expand);
    connect(tree_, &QTreeWidget::itemCollapsed, this, &FolderPicker::Collapse);
    // A double tap on a file does nothing at all: programs are never started
    // from here, whatever their name or permissions.

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    for (QAbstractButton* b : buttons->buttons()) MakeFingerSized(b, small);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pathField_);
    layout->addWidget(tree_, 1);
    layout->addWidget(buttons);
    if (!small) resize(380, 460);
    FitDialogToScreen(this);

    // The roots open at once, which lists them; that alone chooses nothing.
    std::string keep = sharedPath_;
    QTreeWidgetItem* root = AddFolder(nullptr, kRootFolder, kRootFolder);
    if (!userHome.empty() && !IsRootFolder(userHome)) AddFolder(nullptr, NormaliseFolder(userHome), NormaliseFolder(userHome));
    root->setExpanded(true);
    SetShared(keep);
}

QTreeWidgetItem* FolderPicker::AddFolder(QTreeWidgetItem* parent, const std::string& path,
                                         const std::string& name) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    item->setText(0, QString::fromStdString(EscapedName(name)));
    item->setIcon(0, FileKindIcon(FileIcon::Folder));
    item->setData(0, kPathRole, QByteArray::fromStdString(path));
    item->setData(0, kFolderRole, true);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void FolderPicker::SetShared(const std::string& path) {
    sharedPath_ = path;
    pathField_->setText(QString::fromStdString(EscapedName(path)));
}

void FolderPicker::Expand(QTreeWidgetItem* item) {
    if (!item->data(0, kFolderRole).toBool()) return;
    item->setIcon(0, FileKindIcon(FileIcon::OpenFolder));
    SetShared(PathOf(item));
    if (item->data(0, kListedRole).toBool()) return;
    item->setData(0, kListedRole, true);
    std::string folder = PathOf(item);
    // The item may be collapsed (its children removed) or gone before the
    // listing returns; it is found again by path.
    ListFolderInBackground(this, folder, [this, folder](std::vector<FolderEntry> entries) {
        QTreeWidgetItem* target = nullptr;
        for (QTreeWidgetItemIterator it(tree_); *it; ++it)
            if (PathOf(*it) == folder && (*it)->isExpanded() && (*it)->childCount() == 0) target = *it;
        if (!target) return;
        std::sort(entries.begin(), entries.end(), EntryBefore);
        for (const FolderEntry& e : entries)
            if (e.folder) AddFolder(target, ChildPath(folder, e.name), e.name);
        for (const FolderEntry& e : entries) {
            if (e.folder) continue;
            auto* file = new QTreeWidgetItem(target);
            file->setText(0, QString::fromStdString(EscapedName(e.name)));
            file->setIcon(0, FileKindIcon(IconForFileName(e.name)));
            file->setData(0, kPathRole, QByteArray::fromStdString(ChildPath(folder, e.name)));
            file->setData(0, kFolderRole, false);
        }
        if (target->childCount() == 0)
            target->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
        emit listed();
    });
}

void FolderPicker::Collapse(QTreeWidgetItem* item) {
    if (!item->data(0, kFolderRole).toBool()) return;
    item->setIcon(0, FileKindIcon(FileIcon::Folder));
    SetShared(PathOf(item));
    qDeleteAll(item->takeChildren());
    item->setData(0, kListedRole, false);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

std::optional<std::string> PickFolder(QWidget* parent, const std::string& start,
                                      const std::string& userHome) {
    FolderPicker picker(start, userHome, parent);
    if (picker.exec() != QDialog::Accepted) return std::nullopt;
    return picker.SharedPath();
}

}  // namespace mw
