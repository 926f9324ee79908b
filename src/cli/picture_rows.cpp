#include "cli/picture_rows.h"

#include <tiffio.h>
#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>
#include <QString>

#include <cstdio>
#include <cstring>
#include <vector>

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

class TiffPicture : public mw::PictureRows {
public:
    ~TiffPicture() override {
        if (begun_) TIFFRGBAImageEnd(&image_);
        if (tiff_) TIFFClose(tiff_);
    }
    bool Open(const std::string& path, std::string& error) {
        // libtiff's own messages would go to stderr unasked; its result
        // codes say enough.
        TIFFSetWarningHandler(nullptr);
        TIFFSetErrorHandler(nullptr);
        tiff_ = TIFFOpen(path.c_str(), "r");
        if (!tiff_) {
            error = "cannot read " + path + ": not a TIFF file libtiff can open";
            return false;
        }
        char message[1024] = "";
        if (!TIFFRGBAImageOK(tiff_, message) || !TIFFRGBAImageBegin(&image_, tiff_, 0, message)) {
            error = "cannot read " + path + ": " + message;
            return false;
        }
        begun_ = true;
        image_.req_orientation = ORIENTATION_TOPLEFT;
        path_ = path;
        if (image_.width == 0 || image_.height == 0 || image_.width > 1u << 30 ||
            image_.height > 1u << 30) {
            error = "cannot read " + path + ": the picture has no usable size";
            return false;
        }
        return true;
    }
    int Width() const override { return static_cast<int>(image_.width); }
    int Height() const override { return static_cast<int>(image_.height); }
    bool ReadRows(int y, int count, std::uint32_t* out, std::string* error) override {
        image_.row_offset = y;
        image_.col_offset = 0;
        if (!TIFFRGBAImageGet(&image_, out, image_.width, static_cast<std::uint32_t>(count))) {
            if (error) *error = "cannot read " + path_ + ": damaged TIFF data";
            return false;
        }
        // ABGR words, colours premultiplied by alpha, into 0x00RRGGBB on
        // white.
        const std::size_t n = std::size_t(image_.width) * count;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t p = out[i];
            const int a = TIFFGetA(p);
            int r = TIFFGetR(p), g = TIFFGetG(p), b = TIFFGetB(p);
            if (a != 255) r += 255 - a, g += 255 - a, b += 255 - a;
            out[i] = (std::uint32_t(std::min(r, 255)) << 16) |
                     (std::uint32_t(std::min(g, 255)) << 8) | std::uint32_t(std::min(b, 255));
        }
        return true;
    }

private:
    TIFF* tiff_ = nullptr;
    TIFFRGBAImage image_{};
    bool begun_ = false;
    std::string path_;
};

// Pictures up to this many pixels are read whole (256 MiB as 32-bit words);
// larger ones in clip rectangles where the reader can cut them.
constexpr qint64 kWholePixels = 64ll << 20;

}  // namespace

bool LooksLikeTiff(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char m[4] = {};
    const bool got = std::fread(m, 1, 4, f) == 4;
    std::fclose(f);
    if (!got) return false;
    return (m[0] == 'I' && m[1] == 'I' && (m[2] == 42 || m[2] == 43) && m[3] == 0) ||
           (m[0] == 'M' && m[1] == 'M' && m[2] == 0 && (m[3] == 42 || m[3] == 43));
}

std::unique_ptr<mw::PictureRows> OpenPicture(const std::string& path, std::string& error) {
    if (LooksLikeTiff(path)) {
        auto tiff = std::make_unique<TiffPicture>();
        if (tiff->Open(path, error)) return tiff;
        return nullptr;
    }
    // Scanned maps are large; Qt's default limit (128 MB) is meant for
    // untrusted web images, not for a picture the user hands us.
    QImageReader::setAllocationLimit(0);
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kWholePixels &&
        reader.supportsOption(QImageIOHandler::ClipRect) &&
        reader.transformation() == QImageIOHandler::TransformationNone) {
        return std::make_unique<ClippedPicture>(path, size);
    }
    QImage image = reader.read();
    if (image.isNull()) {
        error = "cannot read " + path + ": " + reader.errorString().toStdString();
        return nullptr;
    }
    return std::make_unique<WholePicture>(ToRgb32(std::move(image)));
}

}  // namespace mwtool
