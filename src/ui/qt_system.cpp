#include "ui/qt_system.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace mw {

bool QtShell::OpenDocument(const std::string& path) {
    QFileInfo info(QString::fromStdString(path));
    // A data file must never start a program: only documents are opened.
    if (!info.exists() || !info.isFile() || info.isExecutable()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

bool QtShell::StartProgram(const std::string& path, const std::vector<std::string>& args) {
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(path), list);
}

}  // namespace mw
