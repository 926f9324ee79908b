// mwtool mwf2 encode|info|decode: the map image encoder (pictures are read
// through Qt's image readers, so any PNG, JPEG, BMP or TIFF a scanner gives
// will do), and the reader's view of a map image file.
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <QVector>

#include <cmath>
#include <iostream>
#include <sstream>

#include "cli/console.h"
#include "cli/mwtool.h"
#include "image/image_file.h"
#include "image/mwf2_writer.h"
#include "image/view_render.h"
#include "support/text.h"

namespace {

// The reader reports damaged files through the Ui port; here they go to
// stderr.

int Fail(const std::string& message) {
    std::cerr << "mwtool: " << message << "\n";
    return 1;
}

std::optional<std::vector<double>> ParseLevels(const std::string& text) {
    std::vector<double> out;
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, ',')) {
        std::optional<double> v = mwtool::ParseNumber(mw::Trim(item));
        if (!v) return std::nullopt;
        out.push_back(*v);
    }
    if (out.empty()) return std::nullopt;
    return out;
}

// The picture as 0x??RRGGBB words; transparent parts are laid on white, the
// colour of paper and of the map window's background.
std::optional<QImage> ReadPicture(const std::string& path, std::string& error) {
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    // Scanned maps are large; Qt's default limit (128 MB) is meant for
    // untrusted web images, not for a picture the user hands us.
    QImageReader::setAllocationLimit(0);
    QImage image = reader.read();
    if (image.isNull()) {
        error = "cannot read " + path + ": " + reader.errorString().toStdString();
        return std::nullopt;
    }
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            row[x] = qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p)));
        }
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

std::string PsnrText(double psnr) {
    return std::isinf(psnr) ? std::string("exact") : mw::Format("PSNR %.2f dB", psnr);
}

int Encode(mwtool::Args& args) {
    mw::EncodeOptions options;
    if (auto levels = args.Option("--levels")) {
        auto parsed = ParseLevels(*levels);
        if (!parsed) return mwtool::UsageError("--levels takes percentages such as 100,50,25,10");
        options.levelPercents = *parsed;
    }
    options.compressed = !args.Flag("--raw");
    if (auto unknown = args.UnknownOption())
        return mwtool::UsageError("unknown option " + *unknown);
    if (args.words.size() != 2) return mwtool::UsageError("mwf2 encode takes IN and OUT");
    const std::string in = args.words[0], out = args.words[1];

    std::string error;
    std::optional<QImage> picture = ReadPicture(in, error);
    if (!picture) return Fail(error);
    const mw::RgbImageView view{reinterpret_cast<const std::uint32_t*>(picture->constBits()),
                                picture->width(), picture->height(), picture->bytesPerLine() / 4};
    mw::EncodeReport report;
    if (!mw::EncodeMapImage(view, options, out, &report, &error)) return Fail(error);
    std::cout << out << ": " << view.width << " x " << view.height << ", " << report.colourCount
              << " colours (" << PsnrText(report.psnr) << "), " << report.levels.size()
              << " levels\n";
    for (const auto& l : report.levels) {
        std::cout << mw::Format("  %g %%: %d x %d, %d x %d tiles\n", l.percent, l.width, l.height,
                                l.tilesX, l.tilesY);
    }
    return 0;
}

int Info(mwtool::Args& args) {
    if (auto unknown = args.UnknownOption())
        return mwtool::UsageError("unknown option " + *unknown);
    if (args.words.size() != 1) return mwtool::UsageError("mwf2 info takes FILE");
    mw::ImageFault fault = mw::ImageFault::None;
    std::optional<mw::ImageFile> f = mw::OpenImageFile(args.words[0], &fault);
    if (!f) {
        return Fail(fault == mw::ImageFault::None ? "cannot open " + args.words[0]
                                                  : mw::ImageFaultMessage(fault));
    }
    const char* compressed = f->compressed ? "yes" : "no";
    if (!f->IsTiled()) {
        std::cout << "format: strip (mwf)\n"
                  << "size: " << f->width << " x " << f->height << "\n"
                  << "bits per pixel: " << f->bitsPerPixel << "\n"
                  << "compressed: " << compressed << "\n";
        return 0;
    }
    std::cout << "format: tiled (mwf2)\n"
              << "size: " << f->width << " x " << f->height << "\n"
              << "compressed: " << compressed << "\n"
              << "tile size: " << f->tileSize << "\n"
              << "levels: " << f->levelCount + 1 << "\n";
    int status = 0;
    for (int i = 0; i <= f->levelCount; ++i) {
        if (!mw::SelectLevel(*f, i)) {
            std::cout << "level " << i << ": damaged\n";
            status = 1;
            continue;
        }
        std::cout << mw::Format("level %d: %g %%, %u x %u, %d x %d tiles%s\n", i,
                                double(f->levelPercent[i]), f->levelWidth, f->levelHeight,
                                f->tilesX, f->tilesY, i == f->levelCount ? " (last)" : "");
    }
    return status;
}

int Decode(mwtool::Args& args) {
    std::optional<std::string> out = args.Option("-o");
    if (!out) out = args.Option("--output");
    int level = 0;
    if (auto text = args.Option("--level")) {
        auto n = mwtool::ParseInteger(*text);
        if (!n) return mwtool::UsageError("--level takes a level number (-1: the last)");
        level = *n;
    }
    if (auto unknown = args.UnknownOption())
        return mwtool::UsageError("unknown option " + *unknown);
    if (args.words.size() != 1 || !out) return mwtool::UsageError("mwf2 decode takes FILE -o OUT");
    const std::string& path = args.words[0];

    mwtool::ConsoleUi ui;
    mw::IndexedBitmap bitmap;
    mw::DisplayPalette palette;
    mw::ImageFault fault = mw::ImageFault::None;
    std::optional<mw::ImageFile> f = mw::OpenImageFile(path, &fault);
    if (!f) {
        return Fail(fault == mw::ImageFault::None ? "cannot open " + path
                                                  : mw::ImageFaultMessage(fault));
    }
    if (f->IsTiled()) {
        f.reset();
        auto image = mw::BuildLevelImage(path, level, ui);
        if (!image) return 1;
        bitmap = std::move(image->bitmap);
        palette = image->palette;
    } else {
        // A strip image has one level: render it whole as one view.
        if (level != 0 && level != -1) return Fail("a strip image has only level 0");
        const int w = f->width, h = f->height;
        f.reset();
        auto opened = mw::OpenViewImage(path, 1.0, w / 2, h / 2, w, h, ui);
        if (!opened) return 1;
        bitmap = std::move(opened->view.bitmap);
        palette = opened->view.palette;
    }
    QImage image(bitmap.pixels.data(), bitmap.width, bitmap.height, bitmap.stride,
                 QImage::Format_Indexed8);
    const auto argb = mw::PaletteArgb(palette);
    image.setColorTable(QVector<QRgb>(argb.begin(), argb.end()));
    if (!image.save(QString::fromStdString(*out))) return Fail("cannot write " + *out);
    return 0;
}

int Mwf2(mwtool::Args& args) {
    if (args.words.empty()) return mwtool::UsageError("mwf2 needs encode, info or decode");
    const std::string sub = args.words[0];
    args.words.erase(args.words.begin());
    if (sub == "encode") return Encode(args);
    if (sub == "info") return Info(args);
    if (sub == "decode") return Decode(args);
    return mwtool::UsageError("unknown mwf2 command '" + sub + "'");
}

}  // namespace

MW_COMMAND("mwf2",
           "mwf2 encode IN OUT [--levels 100,50,25,10] [--raw] | mwf2 info FILE | "
           "mwf2 decode FILE [--level N] -o OUT",
           Mwf2);
