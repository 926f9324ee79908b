#include "cli/console.h"

#include <iostream>

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include "support/durable_file.h"

namespace mwtool {

std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
    if (QGuiApplication::instance()) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "mwtool";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool SaveImageFile(const QImage& image, const std::string& path, const char* format) {
    QByteArray suffix = QFileInfo(QString::fromStdString(path)).suffix().toLatin1();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format ? format : suffix.constData())) {
        std::cerr << "mwtool: an output file could not be written: " << path
                  << " (the picture could not be encoded in that format)\n";
        return false;
    }
    const mw::WriteOutcome written =
        mw::WriteFileAtomically(path, std::string_view(bytes.constData(), bytes.size()));
    if (!written)
        std::cerr << "mwtool: " << mw::WriteFailureText("an output file could not be written", written)
                  << "\n";
    return written.Ok();
}

}  // namespace mwtool
