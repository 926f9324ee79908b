#include "ui/track_info_window.h"

#include <sys/stat.h>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/data_folder.h"
#include "app/moving_map.h"
#include "app/track_commands.h"
#include "paint/qt_canvas.h"

namespace mw {

namespace {

constexpr int kFollowMs = 2000;

QString Text(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

}  // namespace

// The graph: the core draws it; a tap goes to the window.
class TrackProfileWidget : public QWidget {
public:
    TrackProfileWidget(TrackInfoWindow& window, QWidget* parent) : QWidget(parent), window_(window) {
        setObjectName("trackProfile");
        setMinimumSize(200, 90);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    // The layout of the last paint; before the first one (a tap on a
    // window not yet drawn) the graph is drawn off screen to find it.
    ProfileLayout Layout() {
        if (layout_.plot.Width() > 1 || window_.Profile().samples.empty()) return layout_;
        QImage scratch(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
        QPainter p(&scratch);
        Draw(p);
        return layout_;
    }
    // The profile changed: the last layout no longer holds.
    void Invalidate() {
        layout_ = ProfileLayout{};
        update();
    }

protected:
    void resizeEvent(QResizeEvent*) override { layout_ = ProfileLayout{}; }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        Draw(p);
    }
    void mousePressEvent(QMouseEvent* event) override {
        window_.TapGraph(static_cast<int>(event->position().x()));
    }

private:
    void Draw(QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        QtCanvas canvas(p);
        const int font = height() < 140 ? 10 : 11;
        layout_ = DrawTrackProfile(canvas, Rect{0, 0, width(), height()}, window_.Profile(),
                                   window_.Marked(), font);
    }

    TrackInfoWindow& window_;
    ProfileLayout layout_;
};

TrackInfoWindow::TrackInfoWindow(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("trackInfoWindow");
    setWindowTitle(kTrackInfoTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    source_ = new QComboBox(this);
    source_->setObjectName("trackSource");
    source_->addItem("Track on map");
    source_->addItem("Track log");
    source_->addItem("File");
    open_ = new QPushButton("Open...", this);
    open_->setObjectName("openTrack");
    auto* top = new QHBoxLayout;
    top->addWidget(source_, 1);
    top->addWidget(open_);

    figures_ = new QTableWidget(0, 2, this);
    figures_->setObjectName("trackFigures");
    figures_->horizontalHeader()->hide();
    figures_->verticalHeader()->hide();
    figures_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    figures_->horizontalHeader()->setStretchLastSection(true);
    figures_->verticalHeader()->setDefaultSectionSize(figures_->fontMetrics().height() + 4);
    figures_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figures_->setSelectionMode(QAbstractItemView::NoSelection);
    figures_->setShowGrid(false);
    figures_->setWordWrap(false);

    yAxis_ = new QComboBox(this);
    yAxis_->setObjectName("profileY");
    yAxis_->addItem("Elevation");
    yAxis_->addItem("Speed");
    xAxis_ = new QComboBox(this);
    xAxis_->setObjectName("profileX");
    xAxis_->addItem("Distance");
    xAxis_->addItem("Time");
    auto* axes = new QHBoxLayout;
    axes->addWidget(yAxis_, 1);
    axes->addWidget(new QLabel("against", this));
    axes->addWidget(xAxis_, 1);

    graph_ = new TrackProfileWidget(*this, this);
    readout_ = new QLabel(this);
    readout_->setObjectName("profileReadout");

    auto* graphPage = new QWidget(this);
    auto* graphLayout = new QVBoxLayout(graphPage);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    graphLayout->setSpacing(2);
    graphLayout->addLayout(axes);
    graphLayout->addWidget(graph_, 1);
    graphLayout->addWidget(readout_);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(figures_);
    split->addWidget(graphPage);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setChildrenCollapsible(false);
    // The graph gets the larger share, also on a 320-pixel screen.
    split->setSizes({2, 3});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addLayout(top);
    layout->addWidget(split, 1);

    connect(source_, &QComboBox::activated, this, [this](int index) {
        if (index == 2) {
            OpenFile();
            return;
        }
        ShowSource(index == 1 ? TrackInfoSource::Log : TrackInfoSource::Map);
    });
    connect(open_, &QPushButton::clicked, this, [this] { OpenFile(); });
    connect(yAxis_, &QComboBox::currentIndexChanged, this, [this] { RebuildProfile(); });
    connect(xAxis_, &QComboBox::currentIndexChanged, this, [this] { RebuildProfile(); });
    connect(&follow_, &QTimer::timeout, this, [this] { Follow(); });
    follow_.start(kFollowMs);

    resize(420, 560);
    ShowSource(DefaultTrackInfoSource(app_));
}

TrackInfoWindow* TrackInfoWindow::ShowFor(App& app, QWidget* parent) {
    auto* window = parent->findChild<TrackInfoWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new TrackInfoWindow(app, parent);
        // Not larger than the main window: on a 240 × 320 screen it takes
        // the screen.
        window->resize(std::min(window->width(), parent->width()),
                       std::min(window->height(), parent->height()));
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void TrackInfoWindow::ShowSource(TrackInfoSource source, const std::string& path) {
    if (source == TrackInfoSource::File) filePath_ = path;
    track_ = LoadTrackInfo(app_, source, filePath_);
    source_->setCurrentIndex(static_cast<int>(source));
    if (source == TrackInfoSource::File && !filePath_.empty())
        source_->setItemText(2, Text(FileNameOf(filePath_)));
    stamp_ = Stamp();
    Measure();
}

void TrackInfoWindow::Follow() {
    if (!isVisible() || track_.source == TrackInfoSource::File) return;
    const std::string now = Stamp();
    if (now == stamp_) return;
    const std::optional<std::size_t> keep = marked_;
    ShowSource(track_.source);
    // A growing track keeps the sample the user tapped.
    if (keep && *keep < profile_.samples.size()) {
        marked_ = keep;
        graph_->update();
    }
}

std::string TrackInfoWindow::Stamp() const {
    if (track_.source == TrackInfoSource::Map)
        return std::to_string(app_.track.WriteIndex()) + "/" +
               std::to_string(app_.track.PointCount()) + "/" + std::to_string(app_.map.datumIndex);
    struct stat st {};
    if (::stat(track_.path.c_str(), &st) != 0) return "none";
    return std::to_string(st.st_size) + "/" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

void TrackInfoWindow::Measure() {
    stats_ = ComputeTrackStats(track_.points, track_.ellipsoid);
    FillFigures();
    RebuildProfile();
}

void TrackInfoWindow::FillFigures() {
    std::vector<TrackInfoLine> lines = TrackInfoLines(stats_, app_.settings);
    if (!track_.problem.empty()) lines.insert(lines.begin(), {"Note", track_.problem});
    figures_->setRowCount(static_cast<int>(lines.size()));
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const TrackInfoLine& l = lines[static_cast<std::size_t>(i)];
        figures_->setItem(i, 0, new QTableWidgetItem(Text(l.label)));
        auto* value = new QTableWidgetItem(Text(l.value));
        value->setToolTip(Text(l.value));
        figures_->setItem(i, 1, value);
    }
}

void TrackInfoWindow::RebuildProfile() {
    const ProfileX x = xAxis_->currentIndex() == 1 ? ProfileX::Time : ProfileX::Distance;
    const ProfileY y = yAxis_->currentIndex() == 1 ? ProfileY::Speed : ProfileY::Elevation;
    profile_ = BuildTrackProfile(track_.points, track_.ellipsoid, x, y);
    marked_.reset();
    readout_->setText(profile_.samples.empty() ? QString() : QString("Tap the graph to show a point"));
    graph_->Invalidate();
}

bool TrackInfoWindow::TapGraph(int x) {
    const std::optional<double> along = ProfileValueAt(graph_->Layout(), x);
    if (!along) return false;
    const ProfileSample* s = NearestSample(profile_, *along);
    if (!s) return false;
    marked_ = static_cast<std::size_t>(s - profile_.samples.data());
    readout_->setText(Text(ProfileSampleText(profile_, *s, app_.settings)));
    graph_->update();
    ShowTrackPointOnMap(app_, track_, s->point);
    return true;
}

void TrackInfoWindow::OpenFile() {
    std::optional<std::string> path;
    if (app_.ports.ui)
        path = app_.ports.ui->AskOpenFileName(kTrackInfoOpenTitle, DataFolder(app_),
                                              {TrackFileFilter(), FileFilter{"GPX files", "*.gpx"}});
    if (!path) {
        source_->setCurrentIndex(static_cast<int>(track_.source));
        return;
    }
    ShowSource(TrackInfoSource::File, *path);
}

}  // namespace mw
