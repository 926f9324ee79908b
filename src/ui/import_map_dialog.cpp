#include "ui/import_map_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "support/paths.h"
#include "ui/map_import_module.h"

namespace mw {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QWidget* WithButton(QLineEdit* edit, QPushButton* button, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    return row;
}

}  // namespace

ImportMapDialog::ImportMapDialog(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("Import Map"));
    QString unavailable;
    const MapImportFunctions* imports = MapImportModule(&unavailable);
    input_ = new QLineEdit(this);
    input_->setObjectName("importInput");
    crs_ = new QLineEdit(this);
    crs_->setObjectName("importCrs");
    crs_->setPlaceholderText(QStringLiteral("from the file (or EPSG:N for a world file)"));
    name_ = new QLineEdit(this);
    name_->setObjectName("importName");
    folder_ = new QLineEdit(
        imports ? Q(imports->defaultFolder(app_.settings, app_.state.userHome)) : QString(), this);
    folder_->setObjectName("importFolder");
    auto* chooseInput = new QPushButton(QStringLiteral("..."), this);
    auto* chooseFolder = new QPushButton(QStringLiteral("..."), this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    status_ = new QLabel(this);
    status_->setObjectName("importStatus");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Raster"), WithButton(input_, chooseInput, this));
    form->addRow(QStringLiteral("Coordinate system"), crs_);
    form->addRow(QStringLiteral("Name"), name_);
    form->addRow(QStringLiteral("Maps folder"), WithButton(folder_, chooseFolder, this));

    auto* buttons = new QDialogButtonBox(this);
    import_ = buttons->addButton(QStringLiteral("Import"), QDialogButtonBox::AcceptRole);
    stop_ = buttons->addButton(QStringLiteral("Stop"), QDialogButtonBox::ActionRole);
    close_ = buttons->addButton(QDialogButtonBox::Close);
    stop_->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(buttons);

    connect(chooseInput, &QPushButton::clicked, this, &ImportMapDialog::ChooseInput);
    connect(chooseFolder, &QPushButton::clicked, this, &ImportMapDialog::ChooseFolder);
    connect(import_, &QPushButton::clicked, this, &ImportMapDialog::Start);
    connect(stop_, &QPushButton::clicked, this, &ImportMapDialog::Stop);
    connect(close_, &QPushButton::clicked, this, &ImportMapDialog::reject);
    // The worker only stores its progress; the bar follows it from here.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        if (!finished_) progress_->setValue(permille_.load());
    });
    timer->start(100);
    if (!imports) {
        status_->setText(QStringLiteral("Map import is unavailable: %1").arg(unavailable));
        import_->setEnabled(false);
    }
}

ImportMapDialog::~ImportMapDialog() {
    stop_flag_ = true;
    Join();
}

void ImportMapDialog::SetInput(const QString& path) {
    input_->setText(path);
    const MapImportFunctions* imports = MapImportModule(nullptr);
    if (imports && (name_->text().isEmpty() || name_->isModified() == false))
        name_->setText(Q(imports->mapName(path.toStdString(), "")));
}

void ImportMapDialog::SetFolder(const QString& folder) { folder_->setText(folder); }
void ImportMapDialog::SetCrs(const QString& crs) { crs_->setText(crs); }

void ImportMapDialog::ChooseInput() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Import Map"), QFileInfo(input_->text()).absolutePath(),
        QStringLiteral("Georeferenced rasters (*.tif *.tiff *.jpg *.jpeg *.png *.jp2 *.j2k "
                       "*.mbtiles *.gpkg *.vrt *.img *.ecw *.sid);;All files (*)"));
    if (!path.isEmpty()) SetInput(path);
}

void ImportMapDialog::ChooseFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Maps folder"), folder_->text());
    if (!folder.isEmpty()) folder_->setText(folder);
}

void ImportMapDialog::Start() {
    const MapImportFunctions* imports = MapImportModule(nullptr);
    if (!imports || Running() || input_->text().isEmpty()) return;
    Join();
    ImportRequest request;
    request.input = input_->text().toStdString();
    request.crs = crs_->text().trimmed().toStdString();
    request.name = name_->text().trimmed().toStdString();
    request.folder = folder_->text().toStdString();
    // The settings' maps folder may not have been made yet on a new system.
    if (request.folder == imports->defaultFolder(app_.settings, app_.state.userHome))
        MakeFolders(request.folder);
    stop_flag_ = false;
    permille_ = 0;
    finished_ = false;
    progress_->setValue(0);
    status_->setText(QStringLiteral("Importing %1 ...").arg(input_->text()));
    import_->setEnabled(false);
    stop_->setEnabled(true);
    const DatumTable datums = app_.datums;
    worker_ = std::thread([this, request, datums, imports] {
        ImportOutcome outcome = imports->run(
            request, datums, [this](double f) { permille_ = static_cast<int>(f * 1000); },
            &stop_flag_);
        QMetaObject::invokeMethod(
            this,
            [this, outcome = std::move(outcome)]() mutable {
                outcome_ = std::move(outcome);
                Finish();
            },
            Qt::QueuedConnection);
    });
}

void ImportMapDialog::Stop() {
    stop_flag_ = true;
    stop_->setEnabled(false);
    status_->setText(QStringLiteral("Stopping ..."));
}

void ImportMapDialog::Finish() {
    Join();
    finished_ = true;
    import_->setEnabled(true);
    stop_->setEnabled(false);
    if (outcome_.ok) {
        progress_->setValue(1000);
        const ImportReport& r = outcome_.report;
        QString text = QStringLiteral("Wrote %1 and %2 (%3, %4).")
                           .arg(Q(r.imagePath), Q(r.mapPath), Q(r.system.projectionName),
                                Q(r.system.datumName));
        if (r.warped) text += QStringLiteral("\nWarped: ") + Q(r.warpNote);
        status_->setText(text);
        // The map search reads the folders afresh and finds the new map.
        app_.catalogue.Clear();
    } else {
        progress_->setValue(0);
        status_->setText(Q(outcome_.message));
    }
    emit importFinished(outcome_.ok);
}

void ImportMapDialog::Join() {
    if (worker_.joinable()) worker_.join();
}

void ImportMapDialog::reject() {
    // Closing while importing stops the import; the files stay as they were.
    if (Running()) {
        stop_flag_ = true;
        Join();
        QCoreApplication::processEvents();
    }
    QDialog::reject();
}

}  // namespace mw
