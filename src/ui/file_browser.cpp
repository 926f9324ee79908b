#include "ui/file_browser.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <thread>

#include "ui/handheld_layout.h"

namespace mw {

namespace {

inline constexpr int kMaxNameChars = 250;
inline constexpr const char* kNoFileSelectedText = "There is no File selected";

// A sheet of paper with a folded corner, the base of every file icon.
void DrawSheet(QPainter& p, QColor fill) {
    QPainterPath sheet;
    sheet.moveTo(3, 1);
    sheet.lineTo(10, 1);
    sheet.lineTo(13, 4);
    sheet.lineTo(13, 14);
    sheet.lineTo(3, 14);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 0.8));
    p.setBrush(fill);
    p.drawPath(sheet);
    p.drawLine(QPointF(10, 1), QPointF(10, 4));
    p.drawLine(QPointF(10, 4), QPointF(13, 4));
}

void DrawFolder(QPainter& p, bool open) {
    p.setPen(QPen(QColor(120, 90, 10), 0.8));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(1, 4, 13, 9));
    p.drawRect(QRectF(1, 2.5, 5, 2));
    if (open) {
        p.setBrush(QColor(250, 225, 130));
        QPolygonF flap{{3, 7}, {15, 7}, {13, 13}, {1, 13}};
        p.drawPolygon(flap);
    }
}

}  // namespace

QIcon FileKindIcon(FileIcon icon) {
    // Drawn on a 16 × 15 grid (the handheld's image size) at four times the
    // resolution, so the icons stay sharp at finger size.
    constexpr int kScale = 4;
    QPixmap pm(16 * kScale, 15 * kScale);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kScale, kScale);
    switch (icon) {
        case FileIcon::Folder:
            DrawFolder(p, false);
            break;
        case FileIcon::OpenFolder:
            DrawFolder(p, true);
            break;
        case FileIcon::UpOneLevel:
            DrawFolder(p, false);
            p.setPen(QPen(QColor(20, 60, 160), 1.6));
            p.drawLine(QPointF(8, 11.5), QPointF(8, 6));
            p.drawLine(QPointF(5.5, 8.5), QPointF(8, 6));
            p.drawLine(QPointF(10.5, 8.5), QPointF(8, 6));
            break;
        case FileIcon::Map:
            DrawSheet(p, QColor(200, 235, 190));
            p.setPen(QPen(QColor(40, 120, 200), 0.8));
            p.drawLine(QPointF(4, 10), QPointF(7, 7));
            p.drawLine(QPointF(7, 7), QPointF(12, 11));
            p.setPen(QPen(QColor(150, 100, 40), 0.6));
            p.drawLine(QPointF(5, 4), QPointF(9, 12));
            break;
        case FileIcon::Program:
            p.setPen(QPen(QColor(60, 60, 60), 0.8));
            p.setBrush(QColor(210, 210, 230));
            p.drawRect(QRectF(1.5, 2.5, 13, 10));
            p.setBrush(QColor(40, 60, 150));
            p.drawRect(QRectF(1.5, 2.5, 13, 2.5));
            break;
        case FileIcon::Waypoint:
            DrawSheet(p, Qt::white);
            p.setPen(QPen(QColor(60, 60, 60), 0.8));
            p.drawLine(QPointF(6, 13), QPointF(6, 4));
            p.setBrush(QColor(220, 30, 30));
            p.drawPolygon(QPolygonF{{6, 4}, {11, 6}, {6, 8}});
            break;
        case FileIcon::Track:
            DrawSheet(p, Qt::white);
            p.setPen(QPen(QColor(220, 30, 30), 1.0, Qt::DotLine));
            p.drawPolyline(QPolygonF{{4, 12}, {6, 8}, {9, 10}, {12, 5}});
            break;
        case FileIcon::Route:
            DrawSheet(p, Qt::white);
            p.setPen(QPen(QColor(20, 80, 200), 0.9));
            p.drawPolyline(QPolygonF{{4.5, 12}, {7, 7}, {11.5, 9}});
            p.setBrush(QColor(20, 80, 200));
            for (QPointF pt : {QPointF(4.5, 12), QPointF(7, 7), QPointF(11.5, 9)})
                p.drawEllipse(pt, 1.1, 1.1);
            break;
        case FileIcon::Sound:
            DrawSheet(p, Qt::white);
            p.setPen(QPen(Qt::black, 0.9));
            p.setBrush(Qt::black);
            p.drawEllipse(QPointF(7, 11.5), 1.6, 1.2);
            p.drawLine(QPointF(8.5, 11.5), QPointF(8.5, 5));
            p.drawLine(QPointF(8.5, 5), QPointF(11, 6.5));
            break;
        case FileIcon::Bitmap:
            DrawSheet(p, QColor(200, 225, 255));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(60, 140, 60));
            p.drawPolygon(QPolygonF{{3.5, 13.5}, {7, 8}, {9, 11}, {10.5, 9}, {12.5, 13.5}});
            p.setBrush(QColor(250, 200, 40));
            p.drawEllipse(QPointF(10.5, 5.5), 1.3, 1.3);
            break;
        case FileIcon::OtherFile:
            DrawSheet(p, Qt::white);
            p.setPen(QPen(QColor(150, 150, 150), 0.6));
            for (double y : {6.0, 8.0, 10.0, 12.0}) p.drawLine(QPointF(5, y), QPointF(11.5, y));
            break;
    }
    return QIcon(pm);
}

void ListFolderInBackground(QObject* receiver, const std::string& folder,
                            std::function<void(std::vector<FolderEntry>)> done) {
    QPointer<QObject> guard(receiver);
    std::thread([guard, folder, done = std::move(done)]() mutable {
        std::vector<FolderEntry> entries = ListFolderEntries(folder);
        // Back on the GUI thread; the application object outlives every window.
        QMetaObject::invokeMethod(
            qApp,
            [guard, done = std::move(done), entries = std::move(entries)]() mutable {
                if (guard) done(std::move(entries));
            },
            Qt::QueuedConnection);
    }).detach();
}

void FileListModel::SetRows(std::vector<FileRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    const FileRow& row = rows_[index.row()];
    if (role == Qt::DecorationRole && index.column() == 0) return FileKindIcon(row.icon);
    if (role == Qt::TextAlignmentRole && index.column() == 3)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case 0:
            return QString::fromStdString(EscapedName(row.name));
        case 1:
            return QString::fromStdString(row.type);
        case 2:
            return QString::fromLocal8Bit(row.date.c_str());
        case 3:
            return QString::fromStdString(row.size);
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kColumns[] = {"Name", "Type", "Date", "Size"};
    return section >= 0 && section < 4 ? QString(kColumns[section]) : QVariant();
}

FileBrowserDialog::FileBrowserDialog(const BrowserMode& mode, const std::string& folder,
                                     const std::string& proposedName, QWidget* parent)
    : QDialog(parent), mode_(mode), folder_(NormaliseFolder(folder)) {
    setObjectName("dlg146");
    setWindowTitle(mode.title);
    bool small = IsSmallScreen(parent);

    name_ = new QLineEdit(this);
    name_->setObjectName("ctl1114");
    name_->setMaxLength(kMaxNameChars);
    MakeFingerSized(name_, small);
    if (mode.save) name_->setText(QString::fromStdString(EscapedName(proposedName)));

    typeLabel_ = new QLabel(QString::fromStdString(BrowserTypeLabel(mode)), this);
    typeLabel_->setObjectName("ctl1120");
    pathLabel_ = new QLabel(this);
    pathLabel_->setObjectName("ctl1121");
    pathLabel_->setTextFormat(Qt::PlainText);
    // A deep folder must not widen the dialog beyond a handheld's screen.
    pathLabel_->setMinimumWidth(1);
    pathLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    list_ = new QTreeView(this);
    list_->setObjectName("ctl1112");
    list_->setModel(&model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setIconSize(small ? QSize(24, 22) : QSize(16, 15));
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->header()->setStretchLastSection(false);
    const int widths[] = {160, 55, 100, 75};
    for (int c = 0; c < 4; ++c) list_->setColumnWidth(c, widths[c]);
    connect(list_, &QTreeView::clicked, this, [this](const QModelIndex& i) { TapRow(i.row()); });
    connect(list_, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& i) { DoubleTapRow(i.row()); });
    // A double tap below the last row finds no row: say so.
    list_->viewport()->installEventFilter(this);
    // The highlighted row and the name field must agree whatever moved the
    // highlight (a tap, the arrow keys, Home, End, Page Down), and Enter acts
    // on the highlighted row as a double tap does.
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        QModelIndexList selected = list_->selectionModel()->selectedRows();
        if (!selected.isEmpty()) TapRow(selected.first().row());
    });
    list_->installEventFilter(this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    for (QAbstractButton* b : buttons->buttons()) MakeFingerSized(b, small);
    connect(buttons, &QDialogButtonBox::accepted, this, &FileBrowserDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FileBrowserDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name_);
    layout->addWidget(typeLabel_);
    layout->addWidget(pathLabel_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    if (!small) resize(420, 460);
    FitDialogToScreen(this);
    Refill();
}

void FileBrowserDialog::ShowFolder() {
    pathLabel_->setText(QString::fromStdString(EscapedName(folder_)));
    pathLabel_->setToolTip(pathLabel_->text());
}

void FileBrowserDialog::Refill() {
    ShowFolder();
    model_.SetRows({});
    listing_ = true;
    int generation = ++generation_;
    std::string folder = folder_;
    ListFolderInBackground(this, folder, [this, generation, folder](std::vector<FolderEntry> entries) {
        if (generation != generation_) return;  // the user has moved on
        model_.SetRows(FillFileList(entries, folder, mode_.pattern, mode_.kind));
        listing_ = false;
        emit listed();
    });
}

void FileBrowserDialog::TapRow(int row) {
    const auto& rows = model_.Rows();
    if (row < 0 || row >= static_cast<int>(rows.size())) return;
    if (rows[row].type == mode_.kind)
        name_->setText(QString::fromStdString(EscapedName(rows[row].name)));
    else
        name_->clear();
}

void FileBrowserDialog::DoubleTapRow(int row) {
    const auto& rows = model_.Rows();
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        QMessageBox::warning(this, "Mapwanderer", kNoFileSelectedText);
        return;
    }
    const FileRow& r = rows[row];
    if (r.type == mode_.kind) {
        TapRow(row);
        accept();
    } else if (r.type == "Folder") {
        folder_ = ChildPath(folder_, r.name);
        Refill();
    } else if (r.type.empty()) {
        folder_ = ParentFolder(folder_);
        // The chosen file lay in the folder just left; a typed save name stays.
        if (!mode_.save) name_->clear();
        Refill();
    }
}

void FileBrowserDialog::accept() {
    std::string typed = name_->text().left(kMaxNameChars).toStdString();
    std::string name = ResolveTypedName(model_.Rows(), typed);
    // A typed path would be looked for inside the folder shown and fail
    // without a word: say why instead, for opening as for saving.
    if (std::optional<std::string> problem = SaveNameProblem(name)) {
        QString text = QString::fromStdString(*problem);
        if (!mode_.save) text += "\n\nGo to the file's folder and choose the file there.";
        QMessageBox::warning(this, "Mapwanderer", text);
        return;
    }
    chosen_ = name;
    QDialog::accept();
}

void FileBrowserDialog::reject() {
    chosen_.clear();
    QDialog::reject();
}

bool FileBrowserDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
            (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            QModelIndexList selected = list_->selectionModel()->selectedRows();
            // No highlighted row: the name field decides, as OK does.
            if (selected.isEmpty())
                accept();
            else
                DoubleTapRow(selected.first().row());
            return true;
        }
    }
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (!list_->indexAt(e->position().toPoint()).isValid()) {
            // Off the rows the double tap acts on the selected row, if any.
            QModelIndexList selected = list_->selectionModel()->selectedRows();
            DoubleTapRow(selected.isEmpty() ? -1 : selected.first().row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace mw
