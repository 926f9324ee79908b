#include "ui/name_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/name_commands.h"
#include "names/name_filter.h"
#include "support/text.h"
#include "ui/handheld_layout.h"

namespace mw {

namespace {

// Texts from the file: UTF-8 when they are, else one byte per character.
QString Display(const std::string& text) {
    return IsValidUtf8(text) ? QString::fromUtf8(text.data(), qsizetype(text.size()))
                             : QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// How often the dialog looks at a running filter.
constexpr int kPollMs = 20;
// The short form of "<>"; at this height or below the next press enlarges.
constexpr int kShortHeight = 80;

}  // namespace

NameListModel::NameListModel(App& app, QObject* parent) : QAbstractTableModel(parent), app_(app) {}

int NameListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(std::min<std::uint32_t>(NameSearchRowCount(app_), INT32_MAX));
}

int NameListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant NameListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const NameRecord& r = NameSearchRow(app_, index.row());
    if (NamesFileChangeNoted(app_) && !changeSignalled_) {
        // Not from inside the painting: the reload says so in a message.
        changeSignalled_ = true;
        QMetaObject::invokeMethod(
            const_cast<NameListModel*>(this), [this] { emit const_cast<NameListModel*>(this)->fileChanged(); },
            Qt::QueuedConnection);
    }
    switch (index.column()) {
    case 0: return Display(r.name);
    case 1: return Display(r.code);
    case 2: return Display(r.lat);
    case 3: return Display(r.lon);
    }
    return {};
}

QVariant NameListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* titles[] = {"Name", "Code", "Lat", "Lon"};
    return section >= 0 && section < 4 ? QString(titles[section]) : QVariant();
}

void NameListModel::Reset() {
    beginResetModel();
    changeSignalled_ = false;
    endResetModel();
}

NameSearchDialog::NameSearchDialog(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("nameSearch");
    text_ = new QLineEdit(this);
    text_->setObjectName("searchText");
    text_->setMaxLength(kNameSearchTextMax);
    codes_ = new QComboBox(this);
    codes_->setObjectName("codeList");
    prefix_ = new QCheckBox("L", this);
    prefix_->setObjectName("checkL");
    prefix_->setChecked(true);
    inside_ = new QCheckBox("M", this);
    inside_->setObjectName("checkM");
    auto button = [this](const char* text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    filter_ = button("F", "buttonF");
    load_ = button("Load", "buttonLoad");
    size_ = button("<>", "buttonSize");
    find_ = button("Find", "buttonFind");
    map_ = button("Map", "buttonMap");
    waypoint_ = button("Wp", "buttonWp");
    goTo_ = button("Gt", "buttonGt");
    progress_ = new QLabel(this);
    progress_->setObjectName("progress");
    model_ = new NameListModel(app_, this);
    list_ = new QTreeView(this);
    list_->setObjectName("nameList");
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);  // millions of rows scroll without measuring each
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setStretchLastSection(false);
    list_->setColumnWidth(0, 140);
    list_->setColumnWidth(1, 65);
    list_->setColumnHidden(2, true);  // the positions are there but not shown
    list_->setColumnHidden(3, true);

    auto* top = new QHBoxLayout;
    top->addWidget(text_, 1);
    top->addWidget(filter_);
    top->addWidget(prefix_);
    top->addWidget(inside_);
    auto* middle = new QHBoxLayout;
    middle->addWidget(codes_, 1);
    middle->addWidget(load_);
    middle->addWidget(size_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {find_, map_, waypoint_, goTo_}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addLayout(buttons);
    layout->addWidget(progress_);
    layout->addWidget(list_, 1);

    timer_ = new QTimer(this);
    timer_->setInterval(kPollMs);
    connect(timer_, &QTimer::timeout, this, &NameSearchDialog::Poll);
    // The edit holds upper case only.
    connect(text_, &QLineEdit::textEdited, this, [this](const QString& t) {
        const QString upper = t.toUpper();
        if (upper != t) {
            int cursor = text_->cursorPosition();
            text_->setText(upper.left(kNameSearchTextMax));
            text_->setCursorPosition(cursor);
        }
    });
    connect(text_, &QLineEdit::textChanged, this, &NameSearchDialog::InputChanged);
    connect(prefix_, &QCheckBox::toggled, this, &NameSearchDialog::InputChanged);
    connect(inside_, &QCheckBox::toggled, this, &NameSearchDialog::InputChanged);
    connect(codes_, &QComboBox::currentIndexChanged, this, &NameSearchDialog::InputChanged);
    connect(filter_, &QPushButton::clicked, this, &NameSearchDialog::StartOrClearFilter);
    connect(load_, &QPushButton::clicked, this, [this] {
        LoadNamesCommand(app_);
        ShowState();
    });
    connect(size_, &QPushButton::clicked, this, &NameSearchDialog::ToggleHeight);
    connect(model_, &NameListModel::fileChanged, this, &NameSearchDialog::FileChanged);
    connect(map_, &QPushButton::clicked, this, &NameSearchDialog::MapPressed);
    connect(list_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (NameFilterRunning(app_)) return;
        const std::uint64_t before = app_.names.generation;
        NameSearchShowOnMap(app_, index.row());
        if (app_.names.generation != before) ShowState();
    });
    // A button that found the file changed has reloaded it: show the new list.
    auto onRow = [this](void (*action)(App&, int)) {
        return [this, action] {
            const std::uint64_t before = app_.names.generation;
            action(app_, SelectedRow());
            if (app_.names.generation != before) ShowState();
        };
    };
    connect(find_, &QPushButton::clicked, this, onRow(NameSearchFindMaps));
    connect(waypoint_, &QPushButton::clicked, this, onRow(NameSearchWaypoint));
    connect(goTo_, &QPushButton::clicked, this, onRow(NameSearchGoTo));

    // On a handheld the buttons are as narrow as their texts allow, so the
    // rows fit 240 pixels, and the dialog takes the screen.
    const bool small = IsSmallScreen(parent ? parent : this);
    for (QPushButton* b : {filter_, load_, size_, find_, map_, waypoint_, goTo_}) MakeNarrow(b, small);
    resize(240, 300);
    FitDialogToScreen(this);
    LoadLastNamesFile(app_);
    ShowState();
}

NameSearchDialog::~NameSearchDialog() { CloseNameSearch(app_); }

void NameSearchDialog::done(int result) {
    timer_->stop();
    CloseNameSearch(app_);
    QDialog::done(result);
}

int NameSearchDialog::SelectedRow() const {
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

// Everything shown from the core's state: caption, codes, list, buttons.
void NameSearchDialog::ShowState() {
    const bool running = NameFilterRunning(app_);
    QString caption = QString::fromStdString(NameSearchCaption(app_));
    // A search that filled the result list says so: more places match.
    if (!running && app_.names.filtered && app_.names.matches.size() >= kMaxNameResults)
        caption += QString(" (first %1)").arg(kMaxNameResults);
    setWindowTitle(caption);
    if (!running) {
        const std::vector<std::string>& codes = app_.names.types.codes;
        bool same = codes_->count() == static_cast<int>(codes.size());
        for (int i = 0; same && i < codes_->count(); ++i)
            same = codes_->itemText(i) == Display(codes[i]);
        if (!same) {
            QSignalBlocker block(codes_);
            codes_->clear();
            for (const std::string& c : codes) codes_->addItem(Display(c), QByteArray::fromStdString(c));
        }
        model_->Reset();
        filter_->setText("F");
        map_->setText("Map");
        progress_->clear();
    } else {
        map_->setText("Stop");
    }
    for (QWidget* w : std::initializer_list<QWidget*>{text_, codes_, prefix_, inside_, filter_, load_,
                                                      size_, find_, goTo_, list_})
        w->setEnabled(!running);
    waypoint_->setEnabled(!running && NameSearchCanCreateWaypoint(app_));
}

void NameSearchDialog::FileChanged() {
    if (ReloadChangedNamesFile(app_)) ShowState();
}

void NameSearchDialog::StartOrClearFilter() {
    const std::string code = codes_->currentData().toByteArray().toStdString();
    NameQuery query = MakeNameQuery(app_, text_->text().toUpper().toStdString(), code,
                                    prefix_->isChecked(), inside_->isChecked());
    if (ToggleNameFilter(app_, query)) {
        ticks_ = 0;
        timer_->start();
    }
    ShowState();
}

void NameSearchDialog::InputChanged() {
    if (!app_.names.filtered || NameFilterRunning(app_)) return;
    ClearNameFilter(app_);
    ShowState();
}

void NameSearchDialog::Poll() {
    std::optional<std::string> text = PollNameFilter(app_);
    if (!text) {
        timer_->stop();
        ShowState();
        return;
    }
    // The running indicator: "->" and " ->" in turn.
    ++ticks_;
    filter_->setText((ticks_ / 8) % 2 ? " ->" : "->");
    progress_->setText(QString::fromStdString(*text));
}

void NameSearchDialog::MapPressed() {
    if (NameFilterRunning(app_)) {
        StopNameFilter(app_);
        return;
    }
    const int row = SelectedRow();
    const std::uint64_t before = app_.names.generation;
    NameSearchShowOnMap(app_, row);
    if (app_.names.generation != before) {
        ShowState();
        return;
    }
    if (row >= 0) KeepPlaceInSight();
}

void NameSearchDialog::KeepPlaceInSight() {
    // On a handheld the dialog covers the map, and the place is now in the
    // map's middle: the dialog shrinks to its inputs and buttons and moves
    // to the bottom of the screen ("<>" brings the list back).
    if (!IsSmallScreen(this) || !screen()) return;
    if (!shortForm_) ToggleHeight();
    setWindowState(windowState() & ~Qt::WindowMaximized);
    const QRect free = screen()->availableGeometry();
    const int h = std::max(kShortHeight, minimumSizeHint().height());
    const int frame = frameGeometry().height() - geometry().height();
    SetFrameGeometry(this, QRect(free.left(), std::max(free.top(), free.bottom() + 1 - h - frame),
                                 free.width(), std::min(free.height(), h + frame)));
}

void NameSearchDialog::ToggleHeight() {
    // The short form keeps the inputs and buttons and drops the list; its
    // height may not reach 80 pixels when the fonts are large, so the form
    // is remembered rather than read back from the height alone.
    if (shortForm_ || height() <= kShortHeight) {
        shortForm_ = false;
        list_->show();
        progress_->show();
        if (IsSmallScreen(this))
            FitDialogToScreen(this);  // the whole screen again
        else
            resize(width(), fullHeight_ > kShortHeight ? fullHeight_ : 300);
    } else {
        shortForm_ = true;
        fullHeight_ = height();
        list_->hide();
        progress_->hide();
        resize(width(), kShortHeight);
    }
}

}  // namespace mw
