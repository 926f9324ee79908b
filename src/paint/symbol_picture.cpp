#include "paint/symbol_picture.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace mw {

namespace {

// A handful of symbols at one or two sizes is the usual working set; the
// bound only keeps a long session from growing without end.
constexpr int kCachedPictures = 256;

QImage Render(const QString& file, int width, int height) {
    QImage out(width, height, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (file.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgRenderer svg(file);
        if (!svg.isValid()) return {};
        QSizeF size = svg.defaultSize();
        if (size.isEmpty()) size = QSizeF(width, height);
        size.scale(width, height, Qt::KeepAspectRatio);
        svg.render(&p, QRectF((width - size.width()) / 2, (height - size.height()) / 2,
                              size.width(), size.height()));
        return out;
    }
    const QImage image(file);
    if (image.isNull()) return {};
    const QImage scaled = image.scaled(width, height, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    p.drawImage((width - scaled.width()) / 2, (height - scaled.height()) / 2, scaled);
    return out;
}

}  // namespace

QImage SymbolPicture(const std::string& path, int width, int height) {
    if (path.empty() || width <= 0 || height <= 0) return {};
    static thread_local QHash<QString, QImage> cache;
    const QString file = QString::fromStdString(path);
    const QString key = file + QChar(0) + QString::number(width) + 'x' + QString::number(height);
    if (const auto it = cache.constFind(key); it != cache.constEnd()) return *it;
    if (cache.size() >= kCachedPictures) cache.clear();
    const QImage image = Render(file, width, height);
    cache.insert(key, image);
    return image;
}

QIcon SymbolIcon(const std::string& path, int side) {
    const QImage image = SymbolPicture(path, side, side);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

}  // namespace mw
