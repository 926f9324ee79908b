// mwtool render FILE.map --size WxH [--zoom PCT] [--centre-px X Y | --centre LAT LON] -o OUT.png
//
// The map window's picture for a view state, drawn by the same core and
// painting code as the window, into an image. Nothing is written but OUT.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "app/app.h"
#include "app/view_commands.h"
#include "cli/console.h"
#include "cli/mwtool.h"
#include "map/calibration.h"
#include "map/map_file.h"
#include "support/paths.h"
#include "ui/map_painter.h"

namespace {

bool ParseSize(const std::string& text, int& w, int& h) {
    char x = 0, extra = 0;
    return std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) == 3 &&
           (x == 'x' || x == 'X') && w > 0 && h > 0 && w <= 16384 && h <= 16384;
}

int Render(mwtool::Args& args) {
    auto size = args.Option("--size");
    auto out = args.Option("-o");
    auto zoom = args.Option("--zoom");
    bool centrePx = args.Flag("--centre-px");
    bool centreLatLon = args.Flag("--centre");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (!size || !out) return mwtool::UsageError("render needs --size WxH and -o OUT.png");
    int width = 0, height = 0;
    if (!ParseSize(*size, width, height)) return mwtool::UsageError("bad --size '" + *size + "'");
    if (centrePx && centreLatLon)
        return mwtool::UsageError("give --centre-px or --centre, not both");
    const std::size_t want = 1 + ((centrePx || centreLatLon) ? 2 : 0);
    if (args.words.size() != want)
        return mwtool::UsageError("render needs FILE.map (and the centre's two numbers)");
    std::optional<double> a, b;
    if (want == 3) {
        a = mwtool::ParseNumber(args.words[1]);
        b = mwtool::ParseNumber(args.words[2]);
        if (!a || !b) return mwtool::UsageError("the centre needs two numbers");
    }
    std::optional<double> percent;
    if (zoom) {
        percent = mwtool::ParseNumber(*zoom);
        if (!percent || *percent <= 0) return mwtool::UsageError("bad --zoom '" + *zoom + "'");
    }

    auto gui = mwtool::EnsureGuiApplication();
    mwtool::ConsoleUi ui;
    mw::App app;
    app.ports.ui = &ui;
    app.state.programFolder = args.home;
    app.state.userHome = mw::UserHomeFromEnvironment();
    mw::LoadUserDatums(app.datums, args.home);
    mw::ReadConfiguration(args.home, app.datums, app.settings);
    mw::SetScreenSize(app, width, height);
    mw::LayoutMapWindow(app, width, height);

    // The map and its image as a load reads them, without what a load also
    // records (the last map, the recent maps): this command writes nothing else.
    auto map = mw::ReadMapFile(args.words[0], app.datums, &ui);
    if (!map) {
        std::cerr << "mwtool: cannot read " << args.words[0] << "\n";
        return 1;
    }
    app.map = std::move(*map);
    app.map.mapLoaded = true;
    if (!mw::LoadMapImage(app.viewport, app.map, app.datums, app.settings.filePath1,
                          app.settings.filePath2, app.state.userHome, ui)) {
        return 1;
    }
    if (percent)
        mw::SetZoom(app.viewport, app.map, mw::FindZoomIndex(app.viewport, 100.0 / *percent), ui);
    if (centrePx) {
        app.map.viewCentreX = mw::TruncToInt(*a);
        app.map.viewCentreY = mw::TruncToInt(*b);
    } else if (centreLatLon) {
        mw::MapPixel p = mw::LatLonToMapPixel(app.map, app.datums, *a, *b);
        app.map.viewCentreX = p.x;
        app.map.viewCentreY = p.y;
    }
    mw::ComputeViewCorner(app.viewport, app.map);
    if (!mw::RenderMapView(app.viewport, ui)) return 1;

    QImage image(width, height, QImage::Format_RGB32);
    {
        QPainter painter(&image);
            mw::PaintMapWindow(painter, app, width, height);
    }
    if (!image.save(QString::fromStdString(*out), "PNG")) {
        std::cerr << "mwtool: cannot write " << *out << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

MW_COMMAND(
    "render",
    "render FILE.map --size WxH [--zoom PCT] [--centre-px X Y | --centre LAT LON] -o OUT.png",
    Render);
