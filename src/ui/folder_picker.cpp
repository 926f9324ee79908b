#include "ui/folder_picker.h"

#include <QDialogButtonBox>
#include <QLabel>
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
    MakeFingerSized(pathField_, small);
    connect(pathField_, &QLineEdit::textEdited, this, [this] {
        typed_ = true;
        pathField_->setStyleSheet({});
        problem_->hide();
    });
    problem_ = new QLabel(this);
    problem_->setObjectName("problem");
    problem_->setStyleSheet("color: #c00000;");
    problem_->hide();

    tree_ = new QTreeWidget(this);
    tree_->setObjectName("ctl1029");
    tree_->setHeaderHidden(true);
    tree_->setIconSize(small ? QSize(24, 22) : QSize(16, 15));
    tree_->setUniformRowHeights(true);
    tree_->setExpandsOnDoubleClick(true);
    connect(tree_, &QTreeWidget::itemExpanded, this, &FolderPicker::Expand);
    connect(tree_, &QTreeWidget::itemCollapsed, this, &FolderPicker::Collapse);
    // A tap (or the arrow keys) on a folder chooses it as well.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (walking_ || !item) return;
        StopWalk();
        if (item->data(0, kFolderRole).toBool()) SetShared(PathOf(item));
    });
    // A double tap on a file does nothing at all: programs are never started
    // from here, whatever their name or permissions.

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    for (QAbstractButton* b : buttons->buttons()) MakeFingerSized(b, small);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderPicker::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pathField_);
    layout->addWidget(problem_);
    layout->addWidget(tree_, 1);
    layout->addWidget(buttons);
    if (!small) resize(380, 460);
    FitDialogToScreen(this);

    // The tree opens down to the starting folder, from the home root when it
    // lies there, else from "/"; that alone chooses nothing.
    userHome_ =
        userHome.empty() || IsRootFolder(userHome) ? std::string() : NormaliseFolder(userHome);
    QTreeWidgetItem* root = AddFolder(nullptr, kRootFolder, kRootFolder);
    QTreeWidgetItem* home = userHome_.empty() ? nullptr : AddFolder(nullptr, userHome_, userHome_);
    // A relative or empty text opens at the root.
    bool absolute = !sharedPath_.empty() && sharedPath_.front() == '/';
    walkTarget_ = NormaliseFolder(absolute ? std::string_view(sharedPath_) : std::string_view());
    WalkFrom(home && FolderStepsBelow(userHome_, walkTarget_) ? home : root);
}

void FolderPicker::StopWalk() {
    walkTarget_.clear();
    walkWaiting_.clear();
}

void FolderPicker::Select(QTreeWidgetItem* item) {
    walking_ = true;
    tree_->setCurrentItem(item);
    item->setExpanded(true);
    walking_ = false;
    tree_->scrollToItem(item);
}

void FolderPicker::WalkFrom(QTreeWidgetItem* item) {
    if (walkTarget_.empty()) return;
    std::string path = PathOf(item);
    std::optional<std::vector<std::string>> steps = FolderStepsBelow(path, walkTarget_);
    if (!steps || steps->empty()) {
        StopWalk();
        Select(item);
        return;
    }
    if (!item->isExpanded() || !item->data(0, kListedRole).toBool()) {
        // Its listing comes back later and continues the walk.
        walkWaiting_ = path;
        walking_ = true;
        item->setExpanded(true);
        walking_ = false;
        return;
    }
    if (item->childCount() == 0 &&
        item->childIndicatorPolicy() != QTreeWidgetItem::DontShowIndicatorWhenChildless) {
        walkWaiting_ = path;  // being listed: the children are still on their way
        return;
    }
    std::string next = ChildPath(path, steps->front());
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        if (child->data(0, kFolderRole).toBool() && PathOf(child) == next) {
            WalkFrom(child);
            return;
        }
    }
    // The rest of the path does not exist: the deepest folder that does.
    StopWalk();
    Select(item);
}

void FolderPicker::accept() {
    if (typed_) {
        std::optional<std::string> folder =
            TypedFolder(pathField_->text().toStdString(), userHome_);
        if (!folder) {
            pathField_->setStyleSheet(
                "QLineEdit { background: #ffd8d8; border: 2px solid #c00000; }");
            problem_->setText("No such Folder");
            problem_->show();
            pathField_->setFocus();
            return;
        }
        SetShared(*folder);
    }
    QDialog::accept();
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
    if (walking_) return;
    sharedPath_ = path;
    typed_ = false;
    pathField_->setText(QString::fromStdString(EscapedName(path)));
    pathField_->setStyleSheet({});
    problem_->hide();
}

void FolderPicker::Expand(QTreeWidgetItem* item) {
    if (!item->data(0, kFolderRole).toBool()) return;
    if (!walking_) StopWalk();
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
        if (!walkWaiting_.empty() && walkWaiting_ == folder) {
            walkWaiting_.clear();
            WalkFrom(target);
        }
        emit listed();
    });
}

void FolderPicker::Collapse(QTreeWidgetItem* item) {
    if (!item->data(0, kFolderRole).toBool()) return;
    if (!walking_) StopWalk();
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
