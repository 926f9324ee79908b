#include "cli/picture_rows.h"

#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>
#include <QString>

#include <cstring>

#include "raster/raster_rows.h"

namespace mwtool {

namespace {

// Transparent parts are laid on white, the colour of paper and of the map
// window's background; `a` is the alpha of a colour that is not
// premultiplied.
int OverWhite(int c, int a) { return (c * a + 255 * (255 - a) + 127) / 255; }

// A Qt picture as 0x00RRGGBB rows.
QImage ToRgb32(QImage image) {
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            row[x] = qRgb(OverWhite(qRed(p), a), OverWhite(qGreen(p), a), OverWhite(qBlue(p), a));
        }
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

void CopyRows(const QImage& image, int count, std::uint32_t* out) {
    const int w = image.width();
    for (int k = 0; k < count; ++k)
        std::memcpy(out + std::size_t(k) * w, image.constScanLine(k), std::size_t(w) * 4);
}

// The whole picture in memory (small pictures, and formats Qt cannot cut).
class WholePicture : public mw::PictureRows {
public:
    explicit WholePicture(QImage image) : image_(std::move(image)) {}
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    bool ReadRows(int y, int count, std::uint32_t* out, std::string*) override {
        const int w = image_.width();
        for (int k = 0; k < count; ++k)
            std::memcpy(out + std::size_t(k) * w, image_.constScanLine(y + k), std::size_t(w) * 4);
        return true;
    }

private:
    QImage image_;
};

// A band at a time through a clip rectangle; each band opens its own reader
// (a reader reads once).
class ClippedPicture : public mw::PictureRows {
public:
    ClippedPicture(const std::string& path, QSize size) : path_(path), size_(size) {}
    int Width() const override { return size_.width(); }
    int Height() const override { return size_.height(); }
    bool ReadRows(int y, int count, std::uint32_t* out, std::string* error) override {
        QImageReader reader(QString::fromStdString(path_));
        reader.setAutoTransform(false);
        reader.setClipRect(QRect(0, y, size_.width(), count));
        QImage band = reader.read();
        if (band.isNull() || band.width() != size_.width() || band.height() != count) {
            if (error) *error = "cannot read " + path_ + ": " + reader.errorString().toStdString();
            return false;
        }
        CopyRows(ToRgb32(std::move(band)), count, out);
        return true;
    }

private:
    std::string path_;
    QSize size_;
};

// Pictures up to this many pixels are read whole (256 MiB as 32-bit words);
// larger ones in clip rectangles where the reader can cut them.
constexpr qint64 kWholePixels = 64ll << 20;

}  // namespace

std::unique_ptr<mw::PictureRows> OpenPicture(const std::string& path, std::string& error) {
    std::unique_ptr<mw::PictureRows> raster = mw::OpenRasterRows(path, &error);
    if (raster) return raster;
    // Qt only for a file GDAL cannot open at all (a plain-text PNM, which
    // GDAL mistakes for a table of numbers; XPM): one GDAL opens but cannot
    // read is damaged, and Qt's readers would encode it half grey.
    // Scanned maps are large; Qt's default limit (128 MB) is meant for
    // untrusted web images, not for a picture the user hands us.
    QImageReader::setAllocationLimit(0);
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    if (!reader.canRead()) return nullptr;  // GDAL's reason stands
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kWholePixels &&
        reader.supportsOption(QImageIOHandler::ClipRect) &&
        reader.transformation() == QImageIOHandler::TransformationNone) {
        return std::make_unique<ClippedPicture>(path, size);
    }
    QImage image = reader.read();
    if (image.isNull()) return nullptr;  // GDAL's reason stands
    return std::make_unique<WholePicture>(ToRgb32(std::move(image)));
}

}  // namespace mwtool
