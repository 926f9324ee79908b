// mwtool mwf2 encode|info|decode: the map image encoder (any raster GDAL
// reads, a band of rows at a time, so any PNG, JPEG, TIFF or JPEG2000 a
// scanner gives will do), and the reader's view of a map image file.
#include <QColor>
#include <QImage>
#include <QString>
#include <QVector>

#include <unistd.h>

#include <cmath>
#include <iostream>
#include <sstream>

#include "cli/console.h"
#include "cli/mwtool.h"
#include "cli/picture_rows.h"
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

std::string PsnrText(double psnr) {
    return std::isinf(psnr) ? std::string("exact") : mw::Format("PSNR %.2f dB", psnr);
}

int Encode(mwtool::Args& args) {
    mw::EncodeOptions options;
    if (auto levels = args.Option("--levels")) {
        auto parsed = mwtool::ParseLevels(*levels);
        if (!parsed) return mwtool::UsageError("--levels takes percentages such as 100,50,25,10");
        options.levelPercents = *parsed;
    }
    options.compressed = !args.Flag("--raw");
    if (auto dither = args.Option("--dither")) {
        std::optional<double> level = mwtool::ParseNumber(*dither);
        if (!level || !(*level >= 0 && *level <= 1))
            return mwtool::UsageError("--dither takes a level from 0 (none) to 1 (full)");
        options.dither = static_cast<float>(*level);
    }
    if (auto unknown = args.UnknownOption())
        return mwtool::UsageError("unknown option " + *unknown);
    if (args.words.size() != 2) return mwtool::UsageError("mwf2 encode takes IN and OUT");
    const std::string in = args.words[0], out = args.words[1];

    std::string error;
    std::unique_ptr<mw::PictureRows> picture = mwtool::OpenPicture(in, error);
    if (!picture) return Fail(error);
    // A percentage that updates in place, only where someone watches it.
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    int shown = -1;
    mw::EncodeProgress progress = [&](double fraction) {
        const int percent = static_cast<int>(fraction * 100);
        if (percent == shown) return;
        shown = percent;
        std::cout << "\rencoding " << in << ": " << percent << " %" << std::flush;
    };
    mw::EncodeReport report;
    const bool ok = mw::EncodeMapImage(*picture, options, out, &report, &error,
                                       terminal ? progress : mw::EncodeProgress{});
    if (terminal && shown >= 0) std::cout << "\r\033[K" << std::flush;
    if (!ok) return Fail(error);
    std::cout << out << ": " << picture->Width() << " x " << picture->Height() << ", "
              << report.colourCount << " colours (" << PsnrText(report.psnr) << "), "
              << report.levels.size() << " levels\n";
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
        auto image = mw::BuildLevelImage(path, level, fault);
        if (fault != mw::ImageFault::None) ui.ShowMessage(mw::ImageFaultMessage(fault));
        if (!image) return 1;
        bitmap = std::move(image->bitmap);
        palette = image->palette;
    } else {
        // A strip image has one level: render it whole as one view.
        if (level != 0 && level != -1) return Fail("a strip image has only level 0");
        const int w = f->width, h = f->height;
        f.reset();
        auto opened = mw::OpenViewImage(path, 1.0, w / 2, h / 2, w, h, fault);
        if (fault != mw::ImageFault::None) ui.ShowMessage(mw::ImageFaultMessage(fault));
        if (!opened) return 1;
        bitmap = std::move(opened->view.bitmap);
        palette = opened->view.palette;
    }
    QImage image(bitmap.pixels.data(), bitmap.width, bitmap.height, bitmap.stride,
                 QImage::Format_Indexed8);
    const auto argb = mw::PaletteArgb(palette);
    image.setColorTable(QVector<QRgb>(argb.begin(), argb.end()));
    if (!mwtool::SaveImageFile(image, *out)) return 1;
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
           "mwf2 encode IN OUT [--levels 100,50,25,10] [--dither 0..1] [--raw] | mwf2 info FILE | "
           "mwf2 decode FILE [--level N] -o OUT",
           Mwf2);
