#include "ui/file_requests.h"

#include <QFileDialog>

#include "browse/browser_modes.h"
#include "support/text.h"
#include "ui/file_browser.h"
#include "ui/handheld_layout.h"

namespace mw {

namespace {

QString FilterText(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const FileFilter& f : filters)
        parts << QString::fromStdString(f.description + " (" + f.pattern + ")");
    parts << "All files (*)";
    return parts.join(";;");
}

std::optional<std::string> PlatformDialog(QWidget* parent, const std::string& title,
                                          const std::string& start,
                                          const std::vector<FileFilter>& filters, bool save) {
    QFileDialog dialog(parent, QString::fromStdString(title), QString::fromStdString(start),
                       FilterText(filters));
    dialog.setObjectName("platformFileDialog");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog.selectFile(QString::fromStdString(start));
    FitFileDialogToScreen(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> OwnBrowser(QWidget* parent, const BrowserMode& mode,
                                      const std::string& folder, const std::string& name) {
    FileBrowserDialog browser(mode, folder, name, parent);
    if (browser.exec() != QDialog::Accepted || browser.ChosenName().empty()) return std::nullopt;
    std::string chosen = browser.ChosenName();
    if (mode.save) chosen = NameWithExtension(chosen, mode.extension);
    return ChildPath(browser.CurrentFolder(), chosen);
}

}  // namespace

std::optional<std::string> ShowOpenDialog(QWidget* parent, App& app, const std::string& title,
                                          const std::string& startFolder,
                                          const std::vector<FileFilter>& filters) {
    const AppSettings& s = app.settings;
    if (!UseOwnBrowser(app.mapView.screen.portrait, s.useCeOpenFile, title, false))
        return PlatformDialog(parent, title, startFolder, filters, false);
    const BrowserMode& mode = *FindBrowserMode(title, false);
    std::string folder = BrowserStartFolder(mode, s, startFolder, app.state.userHome);
    return OwnBrowser(parent, mode, folder, "");
}

std::optional<std::string> ShowSaveDialog(QWidget* parent, App& app, const std::string& title,
                                          const std::string& proposedPath,
                                          const std::vector<FileFilter>& filters) {
    const AppSettings& s = app.settings;
    if (!UseOwnBrowser(app.mapView.screen.portrait, s.useCeOpenFile, title, true))
        return PlatformDialog(parent, title, proposedPath, filters, true);
    const BrowserMode& mode = *FindBrowserMode(title, true);
    std::string folder = BrowserStartFolder(mode, s, FolderOf(proposedPath), app.state.userHome);
    return OwnBrowser(parent, mode, folder, FileNameOf(proposedPath));
}

}  // namespace mw
