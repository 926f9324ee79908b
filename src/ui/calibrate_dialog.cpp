#include "ui/calibrate_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <thread>

#include "app/app.h"
#include "geo/format_names.h"
#include "image/bitmap.h"
#include "image/mwf2_writer.h"
#include "image/view_render.h"
#include "map/map_file.h"
#include "proj/projection_names.h"
#include "support/paths.h"
#include "support/text.h"
#include "ui/handheld_layout.h"

namespace mw {

namespace {

constexpr double kMinZoom = 1.0 / 64, kMaxZoom = 16;
constexpr const char* kTitle = "Calibrate Map";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

QImage LevelToQImage(const LevelImage& level) {
    const IndexedBitmap& b = level.bitmap;
    QImage image(b.pixels.data(), b.width, b.height, b.stride, QImage::Format_Indexed8);
    const auto argb = PaletteArgb(level.palette);
    image.setColorTable(QVector<QRgb>(argb.begin(), argb.end()));
    return image.convertToFormat(QImage::Format_RGB32);
}

// Moves `from` to `to`, copying across file systems (the temporary folder
// may be on another one than the maps folder); the target appears whole or
// not at all.
bool MoveFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    if (errno != EXDEV) return false;
    const QString part = Q(to) + ".part";
    QFile::remove(part);
    if (!QFile::copy(Q(from), part)) return false;
    if (!SyncFile(S(part)) || std::rename(S(part).c_str(), to.c_str()) != 0) {
        QFile::remove(part);
        return false;
    }
    SyncFolderOf(to);
    QFile::remove(Q(from));
    return true;
}

}  // namespace

// ---------------------------------------------------------------- the picture

CalibratePictureView::CalibratePictureView(QWidget* parent) : QWidget(parent) {
    setObjectName("calibratePicture");
    setMinimumSize(120, 100);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CalibratePictureView::SetImage(const QImage& image) {
    image_ = image;
    fitted_ = false;
    resizeEvent(nullptr);
    update();
}

void CalibratePictureView::SetPoints(const CalibrationEdit* edit, int selected, int worst) {
    edit_ = edit;
    selected_ = selected;
    worst_ = worst;
    update();
}

QPointF CalibratePictureView::ToImage(QPointF w) const { return (w - offset_) / zoom_; }
QPointF CalibratePictureView::ToWidget(QPointF i) const { return i * zoom_ + offset_; }

void CalibratePictureView::ZoomBy(double factor) {
    const QPointF centre = ToImage(QPointF(width() / 2.0, height() / 2.0));
    zoom_ = std::clamp(zoom_ * factor, kMinZoom, kMaxZoom);
    CentreOn(centre);
}

void CalibratePictureView::CentreOn(QPointF image) {
    offset_ = QPointF(width() / 2.0, height() / 2.0) - image * zoom_;
    update();
}

void CalibratePictureView::ShowLoupeAt(QPointF image) {
    loupe_ = true;
    loupeAt_ = image;
    update();
}

void CalibratePictureView::HideLoupe() {
    loupe_ = false;
    update();
}

void CalibratePictureView::FitWhole() {
    fitted_ = false;
    resizeEvent(nullptr);
}

void CalibratePictureView::resizeEvent(QResizeEvent*) {
    // The whole picture at first; later resizes keep the zoom.
    if (fitted_ || image_.isNull() || width() <= 0 || height() <= 0) return;
    zoom_ = std::clamp(std::min(double(width()) / image_.width(), double(height()) / image_.height()),
                       kMinZoom, kMaxZoom);
    CentreOn(QPointF(image_.width() / 2.0, image_.height() / 2.0));
    fitted_ = true;
}

int CalibratePictureView::PointAt(QPointF w) const {
    if (!edit_) return -1;
    const double reach = FingerSize(this) * 0.6;
    int best = -1;
    double bestD = reach;
    for (std::size_t i = 0; i < edit_->points.size(); ++i) {
        const auto& p = edit_->points[i];
        const double d = QLineF(w, ToWidget(QPointF(p.x + 0.5, p.y + 0.5))).length();
        if (d <= bestD) bestD = d, best = int(i);
    }
    return best;
}

void CalibratePictureView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(60, 60, 60));
    if (image_.isNull()) {
        p.setPen(Qt::white);
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, tr("Choose a picture"));
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ < 1);
    p.drawImage(QRectF(offset_, QSizeF(image_.width() * zoom_, image_.height() * zoom_)), image_);
    if (!edit_) return;
    p.setRenderHint(QPainter::Antialiasing);
    const double r = std::max(7.0, FingerSize(this) / 3.0);
    QFont font = p.font();
    font.setBold(true);
    p.setFont(font);
    for (std::size_t i = 0; i < edit_->points.size(); ++i) {
        const auto& pt = edit_->points[i];
        const QPointF c = ToWidget(QPointF(pt.x + 0.5, pt.y + 0.5));
        QColor colour = !pt.on ? QColor(150, 150, 150) : int(i) == worst_ ? QColor(220, 30, 30)
                                                                           : QColor(20, 120, 220);
        p.setPen(QPen(Qt::white, 3));
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
        p.setPen(QPen(colour, int(i) == selected_ ? 3 : 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, r, r);
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
        const QString label = QString::number(i + 1);
        const QRectF box(c + QPointF(r * 0.8, -r * 2.2), QSizeF(r * 2.2, r * 1.6));
        p.fillRect(box, QColor(255, 255, 255, 220));
        p.setPen(colour);
        p.drawText(box, Qt::AlignCenter, label);
    }
    if (loupe_) DrawLoupe(p);
}

// Eight times the pixels under the finger, in the corner away from it, with
// a cross on the pixel a release would take.
void CalibratePictureView::DrawLoupe(QPainter& p) {
    const int side = std::min(std::min(width(), height()) / 2, 160);
    const int half = side / 16;  // pixels either side at 8x
    const QPointF finger = ToWidget(loupeAt_);
    const bool left = finger.x() > width() / 2.0;
    const QRect box(left ? 4 : width() - side - 4, 4, side, side);
    const QRect source(int(std::floor(loupeAt_.x())) - half, int(std::floor(loupeAt_.y())) - half,
                       2 * half + 1, 2 * half + 1);
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.fillRect(box, Qt::black);
    p.drawImage(QRectF(box), image_, QRectF(source));
    p.setPen(QPen(Qt::red, 1));
    const double cell = double(side) / source.width();
    const QRectF centreCell(box.left() + half * cell, box.top() + half * cell, cell, cell);
    p.drawRect(centreCell);
    p.setPen(QPen(Qt::white, 2));
    p.drawRect(box);
    p.restore();
}

void CalibratePictureView::mousePressEvent(QMouseEvent* e) {
    if (image_.isNull()) return;
    pressAt_ = lastAt_ = e->position();
    moved_ = false;
    dragging_ = PointAt(e->position());
    if (dragging_ >= 0) emit selected(dragging_);
    // The loupe where the finger hides the pixels: a small screen, or a
    // point held for moving.
    if (dragging_ >= 0 || IsSmallScreen(this)) ShowLoupeAt(ToImage(e->position()));
}

void CalibratePictureView::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton)) return;
    if (QLineF(e->position(), pressAt_).length() > 6) moved_ = true;
    if (dragging_ >= 0) {
        const QPointF at = ToImage(e->position());
        emit moved(dragging_, int(std::floor(at.x())), int(std::floor(at.y())));
        ShowLoupeAt(at);
    } else if (moved_) {
        offset_ += e->position() - lastAt_;
        loupe_ = false;
        update();
    } else if (loupe_) {
        ShowLoupeAt(ToImage(e->position()));
    }
    lastAt_ = e->position();
}

void CalibratePictureView::mouseReleaseEvent(QMouseEvent* e) {
    loupe_ = false;
    if (dragging_ < 0 && !moved_) {
        const QPointF at = ToImage(e->position());
        if (at.x() >= 0 && at.y() >= 0 && at.x() < image_.width() && at.y() < image_.height())
            emit placed(int(std::floor(at.x())), int(std::floor(at.y())));
    }
    dragging_ = -1;
    update();
}

void CalibratePictureView::wheelEvent(QWheelEvent* e) {
    const QPointF at = ToImage(e->position());
    zoom_ = std::clamp(zoom_ * (e->angleDelta().y() > 0 ? 1.25 : 0.8), kMinZoom, kMaxZoom);
    offset_ = e->position() - at * zoom_;
    update();
}

// ------------------------------------------------------------------ the dialog

CalibrateDialog::CalibrateDialog(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("calibrateMapDialog");
    setWindowTitle(kTitle);
    Build();
    Refit();
}

CalibrateDialog::~CalibrateDialog() = default;

std::string CalibrateDialog::MapsFolder() const {
    return ToLocalPath(app_.settings.mapPath[0], app_.state.userHome);
}

void CalibrateDialog::Build() {
    const bool small = IsSmallScreen(parentWidget() ? parentWidget() : this);
    auto button = [&](const QString& text, const char* name) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        b->setAutoDefault(false);
        MakeFingerSized(b, small);
        MakeNarrow(b, small);
        return b;
    };

    view_ = new CalibratePictureView;
    auto* pictureButton = button(tr("Picture..."), "pictureButton");
    auto* openButton = button(tr("Open .map..."), "openMapButton");
    auto* zoomIn = button("+", "zoomInButton");
    auto* zoomOut = button("-", "zoomOutButton");
    auto* top = new QHBoxLayout;
    top->addWidget(pictureButton);
    top->addWidget(openButton);
    top->addStretch();
    top->addWidget(zoomOut);
    top->addWidget(zoomIn);

    // The point being edited.
    pointLabel_ = new QLabel;
    pointLabel_->setObjectName("pointLabel");
    pointLabel_->setWordWrap(true);
    positionEdit_ = new QLineEdit;
    positionEdit_->setObjectName("positionEdit");
    positionError_ = new QLabel;
    positionError_->setObjectName("positionError");
    positionError_->setWordWrap(true);
    positionError_->setStyleSheet("color: #b00000");
    formatCombo_ = new QComboBox;
    formatCombo_->setObjectName("formatCombo");
    for (std::string_view n : kPositionFormatNames) formatCombo_->addItem(Q(std::string(n)));
    formatCombo_->setCurrentIndex(std::clamp(app_.settings.positionFormat, 0, kPositionFormatCount - 1));
    datumCombo_ = new QComboBox;
    datumCombo_->setObjectName("datumCombo");
    for (int i = 0; i < app_.datums.datumCount; ++i) datumCombo_->addItem(Q(app_.datums.Row(i).name));
    datumCombo_->setCurrentIndex(kDatumWgs84);
    onCheck_ = new QCheckBox(tr("On"));
    onCheck_->setObjectName("pointOn");
    deleteButton_ = button(tr("Delete"), "deletePoint");
    auto* gpsButton = button(tr("GPS"), "fromGps");
    auto* waypointButton = button(tr("Waypoint"), "fromWaypoint");
    auto* targetButton = button(tr("Target"), "fromTarget");
    targetButton->setToolTip(tr("The navigation target (a name-search or waypoint \"Go To\")"));
    for (QWidget* w : {static_cast<QWidget*>(positionEdit_), static_cast<QWidget*>(formatCombo_),
                       static_cast<QWidget*>(datumCombo_)})
        MakeFingerSized(w, small);

    auto* from = new QHBoxLayout;
    from->addWidget(gpsButton);
    from->addWidget(waypointButton);
    from->addWidget(targetButton);
    auto* switches = new QHBoxLayout;
    switches->addWidget(onCheck_);
    switches->addStretch();
    switches->addWidget(deleteButton_);

    projectionCombo_ = new QComboBox;
    projectionCombo_->setObjectName("projectionCombo");
    projectionCombo_->addItem(tr("Automatic"));
    for (const ProjectionChoice& c : kProjectionChoices) projectionCombo_->addItem(Q(std::string(c.name)));
    MakeFingerSized(projectionCombo_, small);
    paramsEdit_ = new QLineEdit;
    paramsEdit_->setObjectName("paramsEdit");
    paramsEdit_->setPlaceholderText("LAT0,LON0,K0,FE,FN,SP1,SP2");

    table_ = new QTableWidget(0, 5);
    table_->setObjectName("residualTable");
    table_->setHorizontalHeaderLabels({"#", tr("On"), "x, y", "m", "px"});
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumHeight(small ? 110 : 160);
    summary_ = new QLabel;
    summary_->setObjectName("fitSummary");
    summary_->setWordWrap(true);

    nameEdit_ = new QLineEdit;
    nameEdit_->setObjectName("mapName");
    MakeFingerSized(nameEdit_, small);
    saveButton_ = button(tr("Save"), "saveButton");
    auto* cancelButton = button(tr("Cancel"), "cancelButton");
    saveReason_ = new QLabel;
    saveReason_->setObjectName("saveReason");
    saveReason_->setWordWrap(true);
    saveReason_->setStyleSheet("color: #b00000");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton_);
    buttons->addWidget(cancelButton);

    // The controls, scrolling where the screen is short.
    auto* panel = new QWidget;
    auto* form = new QVBoxLayout(panel);
    form->setContentsMargins(small ? 2 : 6, 2, small ? 2 : 6, 2);
    form->addWidget(pointLabel_);
    form->addWidget(positionEdit_);
    form->addWidget(positionError_);
    auto* grid = new QFormLayout;
    grid->setRowWrapPolicy(small ? QFormLayout::WrapAllRows : QFormLayout::DontWrapRows);
    grid->addRow(tr("Format"), formatCombo_);
    grid->addRow(tr("Datum"), datumCombo_);
    form->addLayout(grid);
    form->addLayout(from);
    form->addLayout(switches);
    auto* grid2 = new QFormLayout;
    grid2->setRowWrapPolicy(small ? QFormLayout::WrapAllRows : QFormLayout::DontWrapRows);
    grid2->addRow(tr("Projection"), projectionCombo_);
    grid2->addRow(tr("Parameters"), paramsEdit_);
    form->addLayout(grid2);
    form->addWidget(table_);
    form->addWidget(summary_);
    auto* grid3 = new QFormLayout;
    grid3->addRow(tr("Name"), nameEdit_);
    form->addLayout(grid3);
    form->addWidget(saveReason_);
    form->addLayout(buttons);
    auto* scroll = new QScrollArea;
    scroll->setObjectName("calibrateControls");
    scroll->setWidget(panel);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(small ? 0 : 6, small ? 0 : 6, small ? 0 : 6, small ? 0 : 6);
    outer->setSpacing(2);
    outer->addLayout(top);
    if (small) {
        // A handheld: the picture above, the controls scrolling below it.
        outer->addWidget(view_, 3);
        outer->addWidget(scroll, 2);
    } else {
        auto* side = new QHBoxLayout;
        side->addWidget(view_, 3);
        scroll->setMinimumWidth(360);
        side->addWidget(scroll, 1);
        outer->addLayout(side, 1);
        resize(1100, 720);
    }
    FitDialogToScreen(this);

    connect(pictureButton, &QPushButton::clicked, this, &CalibrateDialog::ChoosePicture);
    connect(openButton, &QPushButton::clicked, this, &CalibrateDialog::ChooseCalibration);
    connect(zoomIn, &QPushButton::clicked, this, [this] { view_->ZoomBy(1.5); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { view_->ZoomBy(1 / 1.5); });
    connect(view_, &CalibratePictureView::placed, this, &CalibrateDialog::PlacePoint);
    connect(view_, &CalibratePictureView::moved, this, &CalibrateDialog::MovePoint);
    connect(view_, &CalibratePictureView::selected, this, &CalibrateDialog::Select);
    connect(positionEdit_, &QLineEdit::editingFinished, this, [this] {
        if (!filling_ && selected_ >= 0) SetPointText(selected_, positionEdit_->text());
    });
    auto reparse = [this] {
        if (filling_ || selected_ < 0) return;
        EditPoint& p = edit_.points[selected_];
        p.format = formatCombo_->currentIndex();
        p.datum = datumCombo_->currentIndex();
        p.changed = true;
        ParsePoint(p, app_.datums, edit_.params);
        Refit();
    };
    connect(formatCombo_, &QComboBox::currentIndexChanged, this, reparse);
    connect(datumCombo_, &QComboBox::currentIndexChanged, this, reparse);
    connect(onCheck_, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_ && selected_ >= 0) SetPointOn(selected_, on);
    });
    connect(deleteButton_, &QPushButton::clicked, this, [this] {
        if (selected_ < 0) return;
        edit_.points.erase(edit_.points.begin() + selected_);
        // Later points move up a line in the file.
        for (std::size_t i = selected_; i < edit_.points.size(); ++i) edit_.points[i].changed = true;
        selected_ = edit_.points.empty() ? -1 : std::min<int>(selected_, int(edit_.points.size()) - 1);
        Refit();
    });
    connect(gpsButton, &QPushButton::clicked, this, [this] {
        if (app_.mapView.lastFix.lat == 0 && app_.mapView.lastFix.lon == 0) {
            QMessageBox::information(this, kTitle, tr("There is no GPS position yet."));
            return;
        }
        TakePosition(app_.mapView.lastFix.lat, app_.mapView.lastFix.lon, app_.map.datumIndex);
    });
    connect(waypointButton, &QPushButton::clicked, this, &CalibrateDialog::ChooseWaypoint);
    connect(targetButton, &QPushButton::clicked, this, [this] {
        if (!app_.navigation.target) {
            QMessageBox::information(this, kTitle, tr("There is no navigation target."));
            return;
        }
        TakePosition(app_.navigation.target->lat, app_.navigation.target->lon, app_.map.datumIndex);
    });
    connect(projectionCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (filling_) return;
        edit_.projectionName = i <= 0 ? std::string() : std::string(kProjectionChoices[i - 1].name);
        Refit();
    });
    connect(paramsEdit_, &QLineEdit::editingFinished, this, &CalibrateDialog::ApplyParams);
    connect(table_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == 1 && row < int(edit_.points.size()))
            SetPointOn(row, !edit_.points[row].on);
        Select(row);
    });
    connect(saveButton_, &QPushButton::clicked, this, [this] {
        std::string error;
        if (Save(&error))
            accept();
        else if (!error.empty())
            QMessageBox::warning(this, kTitle, Q(error));
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void CalibrateDialog::ApplyParams() {
    ProjectionParams p;
    const QStringList parts = paramsEdit_->text().split(',');
    double v[7];
    for (int i = 0; i < 7; ++i) {
        bool ok = false;
        const QString t = i < parts.size() ? parts[i].trimmed() : QString();
        v[i] = t.isEmpty() ? kUnsetParameter : t.toDouble(&ok);
        if (!t.isEmpty() && !ok) v[i] = kUnsetParameter;
    }
    p = ProjectionParamsFromList(v);
    edit_.params = p;
    for (EditPoint& pt : edit_.points)
        if (pt.format == 6 || pt.readFormat == 6) ParsePoint(pt, app_.datums, edit_.params);
    Refit();
}

bool CalibrateDialog::LoadPicture(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) {
        QMessageBox::warning(this, kTitle,
                             tr("The picture could not be read: %1").arg(reader.errorString()));
        return false;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    auto temp = std::make_unique<QTemporaryDir>();
    if (!temp->isValid()) {
        QMessageBox::warning(this, kTitle, tr("No temporary folder for the map image."));
        return false;
    }
    const std::string out = S(temp->filePath("picture.mwf2"));

    // The encoder runs on its own thread; the bar follows it.
    RgbImageView rgb{reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                     image.height(), image.bytesPerLine() / 4};
    std::atomic<double> fraction{0};
    std::atomic<bool> done{false};
    bool ok = false;
    std::string error;
    std::thread worker([&] {
        ViewRows rows(rgb);
        ok = EncodeMapImage(rows, EncodeOptions{}, out, nullptr, &error,
                            [&](double f) { fraction = f; });
        done = true;
    });
    QProgressDialog progress(tr("Encoding %1").arg(QFileInfo(path).fileName()), QString(), 0, 100, this);
    progress.setObjectName("encodeProgress");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(200);
    QEventLoop loop;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &loop, [&] {
        progress.setValue(int(fraction * 100));
        if (done) loop.quit();
    });
    tick.start(50);
    loop.exec();
    worker.join();
    progress.setValue(100);
    if (!ok) {
        QMessageBox::warning(this, kTitle, Q(error));
        return false;
    }

    temp_ = std::move(temp);
    encodedImage_ = out;
    openedMap_.clear();
    edit_ = CalibrationEdit{};
    edit_.imageWidth = image.width();
    edit_.imageHeight = image.height();
    selected_ = -1;
    nameEdit_->setEnabled(true);
    nameEdit_->setText(QFileInfo(path).completeBaseName().replace('.', '_'));
    view_->SetImage(image);
    Refit();
    return true;
}

bool CalibrateDialog::OpenCalibration(const QString& path) {
    auto text = ReadWholeFile(S(path));
    if (!text) {
        QMessageBox::warning(this, kTitle, tr("The calibration file could not be read."));
        return false;
    }
    CalibrationEdit edit = ReadCalibrationEdit(*text, app_.datums);
    // The image beside the file, as the program finds it.
    MapRecord record = ParseMapFile(*text, app_.datums);
    const std::string folder = FolderOf(S(path));
    ImageFault fault = ImageFault::None;
    std::optional<LevelImage> level;
    for (const char* ext : {"mwf2", "mwf"}) {
        std::string base = record.imageBaseName;
        if (base.empty() || base.back() != '.') base += '.';
        level = BuildLevelImage(JoinPath(folder, base + ext), 0, fault);
        if (level) break;
    }
    if (!level) {
        QMessageBox::warning(this, kTitle, Q(kImageNotFoundText));
        return false;
    }
    QImage image = LevelToQImage(*level);
    edit.imageWidth = image.width();
    edit.imageHeight = image.height();
    edit_ = std::move(edit);
    openedMap_ = S(path);
    encodedImage_.clear();
    temp_.reset();
    selected_ = edit_.points.empty() ? -1 : 0;
    nameEdit_->setText(QFileInfo(path).completeBaseName());
    nameEdit_->setEnabled(false);  // saved back in place
    filling_ = true;
    const ProjectionChoice* c = FindProjectionChoice(edit_.projectionName);
    projectionCombo_->setCurrentIndex(c ? int(c - kProjectionChoices.data()) + 1 : 0);
    filling_ = false;
    view_->SetImage(image);
    Refit();
    return true;
}

void CalibrateDialog::ChoosePicture() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Choose a Picture"), Q(MapsFolder()),
        tr("Pictures (*.png *.jpg *.jpeg *.tif *.tiff *.bmp *.gif *.ppm *.pgm);;All files (*)"));
    if (!path.isEmpty()) LoadPicture(path);
}

void CalibrateDialog::ChooseCalibration() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Map File"), Q(MapsFolder()),
                                                      tr("Map files (*.map)"));
    if (!path.isEmpty()) OpenCalibration(path);
}

void CalibrateDialog::ChooseWaypoint() {
    QStringList names;
    std::vector<const Waypoint*> found;
    app_.waypoints.ForEach([&](int, const Waypoint& w) {
        names << Q(w.name);
        found.push_back(&w);
    });
    if (found.empty()) {
        QMessageBox::information(this, kTitle, tr("There are no waypoints."));
        return;
    }
    bool ok = false;
    const QString pick = QInputDialog::getItem(this, tr("Waypoint"), tr("Position of"), names, 0, false, &ok);
    if (!ok) return;
    const int i = int(names.indexOf(pick));
    if (i >= 0) TakePosition(found[i]->lat, found[i]->lon, app_.map.datumIndex);
}

// A position the program holds (degrees on `datum`) as the selected point's
// text: decimal degrees, which every format field takes.
void CalibrateDialog::TakePosition(double lat, double lon, int datum) {
    if (selected_ < 0) {
        QMessageBox::information(this, kTitle, tr("Tap the picture to place a point first."));
        return;
    }
    filling_ = true;
    datumCombo_->setCurrentIndex(datum);
    filling_ = false;
    edit_.points[selected_].datum = datum;
    SetPointText(selected_, Q(Format("%.7f,%.7f", lat, lon)));
}

void CalibrateDialog::PlacePoint(int x, int y) {
    if (edit_.points.size() >= std::size_t(kCalibrationPointCount)) {
        QMessageBox::information(this, kTitle, Q(Format("A map holds at most %d points", kCalibrationPointCount)));
        return;
    }
    EditPoint p;
    p.x = x;
    p.y = y;
    p.format = formatCombo_->currentIndex();
    // A new point is most likely read off the same sheet as the last one.
    p.datum = edit_.points.empty() ? datumCombo_->currentIndex() : edit_.points.back().datum;
    edit_.points.push_back(p);
    selected_ = int(edit_.points.size()) - 1;
    Refit();
    positionEdit_->setFocus();
}

void CalibrateDialog::MovePoint(int index, int x, int y) {
    if (index < 0 || index >= int(edit_.points.size())) return;
    edit_.points[index].x = x;
    edit_.points[index].y = y;
    edit_.points[index].changed = true;
    selected_ = index;
    Refit();
}

void CalibrateDialog::SetPointText(int index, const QString& text) {
    if (index < 0 || index >= int(edit_.points.size())) return;
    EditPoint& p = edit_.points[index];
    if (p.text == S(text.trimmed()) && (p.position || !p.error.empty())) return;
    p.text = S(text.trimmed());
    p.changed = true;
    ParsePoint(p, app_.datums, edit_.params);
    Refit();
}

void CalibrateDialog::SetPointOn(int index, bool on) {
    if (index < 0 || index >= int(edit_.points.size())) return;
    edit_.points[index].on = on;
    edit_.points[index].changed = true;
    Refit();
}

void CalibrateDialog::Select(int index) {
    if (index < 0 || index >= int(edit_.points.size())) return;
    selected_ = index;
    ShowSelected();
    view_->SetPoints(&edit_, selected_, fit_.worst);
}

void CalibrateDialog::ShowSelected() {
    filling_ = true;
    const bool any = selected_ >= 0 && selected_ < int(edit_.points.size());
    for (QWidget* w : {static_cast<QWidget*>(positionEdit_), static_cast<QWidget*>(formatCombo_),
                       static_cast<QWidget*>(datumCombo_), static_cast<QWidget*>(onCheck_),
                       static_cast<QWidget*>(deleteButton_)})
        w->setEnabled(any);
    if (any) {
        const EditPoint& p = edit_.points[selected_];
        pointLabel_->setText(tr("Point %1 at (%2, %3): position").arg(selected_ + 1).arg(p.x).arg(p.y));
        positionEdit_->setText(Q(p.text));
        // The format the text was read in, which may be another than the
        // one expected (a grid reference typed where degrees were).
        const int format = p.position ? p.readFormat : p.format == kAnyPositionFormat ? 0 : p.format;
        formatCombo_->setCurrentIndex(format);
        positionEdit_->setPlaceholderText(Q(PositionExample(format)));
        datumCombo_->setCurrentIndex(p.datum);
        onCheck_->setChecked(p.on);
        positionError_->setText(Q(p.error));
        positionError_->setVisible(!p.error.empty());
        if (table_->currentRow() != selected_) table_->selectRow(selected_);
    } else {
        pointLabel_->setText(edit_.imageWidth > 0 ? tr("Tap the picture to place a point.")
                                                  : tr("Choose a picture, or open a map file."));
        positionEdit_->clear();
        positionError_->clear();
        positionError_->hide();
    }
    filling_ = false;
}

void CalibrateDialog::Refit() {
    // The map takes the datum of its first point: the sheet's own, as a
    // rule, which the points are read from.
    if (openedMap_.empty()) edit_.mapDatum = edit_.points.empty() ? kDatumWgs84 : edit_.points.front().datum;
    fit_ = FitCalibration(edit_, app_.datums);

    filling_ = true;
    table_->setRowCount(int(edit_.points.size()));
    const QFont normal = table_->font();
    QFont bold = normal;
    bold.setBold(true);
    for (int i = 0; i < int(edit_.points.size()); ++i) {
        const EditPoint& p = edit_.points[i];
        const PointResidual& r = fit_.residuals[i];
        const bool showResidual = r.known && fit_.usedPoints >= 3;
        const QStringList cells = {
            QString::number(i + 1), p.on ? QString::fromUtf8("\u2611") : QString::fromUtf8("\u2610"),
            QString("%1, %2").arg(p.x).arg(p.y),
            showResidual ? QString::number(r.metres, 'f', 1) : (p.position ? "-" : "?"),
            showResidual ? QString::number(r.pixels, 'f', 1) : (p.position ? "-" : "?")};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            const bool worst = i == fit_.worst;
            item->setFont(worst ? bold : normal);
            if (worst) item->setBackground(QColor(255, 200, 200));
            if (!p.on) item->setForeground(QColor(140, 140, 140));
            if (!p.position) item->setToolTip(Q(p.error.empty() ? "no position yet" : p.error));
            table_->setItem(i, c, item);
        }
    }
    filling_ = false;

    QString summary;
    if (fit_.HasFit()) {
        const char* kind = fit_.map.calibration.calibrationMode == 2   ? "2 points: scales"
                           : fit_.map.calibration.calibrationMode == 3 ? "3 points: affine"
                                                                       : "least squares";
        summary = tr("%1, %2. ").arg(Q(EffectiveProjection(edit_))).arg(kind);
        if (fit_.usedPoints >= 3)
            summary += tr("rms %1 m, %2 px").arg(fit_.rmsMetres, 0, 'f', 1).arg(fit_.rmsPixels, 0, 'f', 1);
        if (fit_.worst >= 0) summary += tr("; worst: point %1").arg(fit_.worst + 1);
    }
    summary_->setText(summary);
    const bool canSave = fit_.CanSave() && (!encodedImage_.empty() || !openedMap_.empty());
    saveButton_->setEnabled(canSave);
    QString reason;
    if (encodedImage_.empty() && openedMap_.empty())
        reason = tr("Choose a picture first.");
    else if (!fit_.CanSave())
        reason = Q(fit_.problems.empty() ? std::string("These points fix no calibration") : fit_.problems.front());
    saveReason_->setText(reason);
    saveReason_->setVisible(!reason.isEmpty());
    paramsEdit_->setVisible(true);
    if (const ProjectionChoice* c = FindProjectionChoice(EffectiveProjection(edit_)))
        paramsEdit_->setEnabled(c->params != 0);
    ShowSelected();
    view_->SetPoints(&edit_, selected_, fit_.worst);
}

bool CalibrateDialog::Save(std::string* errorOut) {
    std::string error;
    auto fail = [&](const std::string& e) {
        if (errorOut) *errorOut = e;
        return false;
    };
    if (!fit_.CanSave())
        return fail(fit_.problems.empty() ? std::string("These points fix no calibration") : fit_.problems.front());
    if (!openedMap_.empty()) {
        if (!SaveCalibration(openedMap_, edit_, fit_, app_.datums, error)) return fail(error);
        savedMap_ = Q(openedMap_);
        return true;
    }
    if (encodedImage_.empty()) return fail("Choose a picture first.");
    std::string mapPath, imagePath;
    const std::string folder = MapsFolder();
    if (!MapPairPaths(JoinPath(folder, S(nameEdit_->text().trimmed())), mapPath, imagePath, error))
        return fail(error);
    if ((FileExists(mapPath) || FileExists(imagePath)) &&
        QMessageBox::question(this, kTitle, tr("%1 exists. Replace it?").arg(Q(mapPath))) !=
            QMessageBox::Yes)
        return fail("");
    edit_.title = FileNameOf(mapPath.substr(0, mapPath.size() - 4));
    edit_.imageName = FileNameOf(imagePath);
    // The image first: the catalogue never meets a map without its picture.
    if (!MoveFile(encodedImage_, imagePath))
        return fail("The map image could not be written: " + imagePath);
    if (!SaveCalibration(mapPath, edit_, fit_, app_.datums, error)) {
        // Back to the temporary folder, so Save can be tried again.
        if (!MoveFile(imagePath, encodedImage_)) std::remove(imagePath.c_str());
        return fail(error);
    }
    encodedImage_.clear();
    savedMap_ = Q(mapPath);
    return true;
}

}  // namespace mw
