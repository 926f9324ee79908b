// mwtool map calibrate: a scanned or photographed map made into a map pair
// from points given on the command line (a pixel of the picture and the
// position there, in any position format), through the same calibration
// model as the program's "Calibrate Map..." dialog.
//
//   mwtool map calibrate PICTURE --point X,Y,COORD [--point X,Y,COORD]...
//       [--datum NAME] [--projection NAME] [--params LAT0,LON0,K0,FE,FN,SP1,SP2]
//       [--format F] [--off N]... [-o NAME]
//
// Writes NAME.mwf2 (the picture, encoded) and NAME.map, then one line per
// point "n,x,y,residual_m,residual_px" and a last line "rms,RMS_M,RMS_PX".
// Bad input writes nothing: each reason goes to stderr and the exit code is 1.
#include <iostream>
#include <sstream>

#include "cli/map_subcommands.h"
#include "cli/mwtool.h"
#include "cli/picture_rows.h"
#include "geo/format_names.h"
#include "image/mwf2_writer.h"
#include "map/calibration_edit.h"
#include "proj/projection_names.h"
#include "support/text.h"

namespace {

int Fail(const std::string& message) {
    std::cerr << "mwtool: " << message << "\n";
    return 1;
}

// "X,Y,COORD": the position text may hold commas of its own ("51.5,-0.12").
bool SplitPoint(const std::string& text, mw::EditPoint& p) {
    const std::size_t c1 = text.find(',');
    const std::size_t c2 = c1 == std::string::npos ? c1 : text.find(',', c1 + 1);
    if (c2 == std::string::npos) return false;
    auto x = mwtool::ParseInteger(mw::Trim(text.substr(0, c1)));
    auto y = mwtool::ParseInteger(mw::Trim(text.substr(c1 + 1, c2 - c1 - 1)));
    if (!x || !y) return false;
    p.x = *x;
    p.y = *y;
    p.text = mw::Trim(text.substr(c2 + 1));
    return !p.text.empty();
}

std::optional<mw::ProjectionParams> ReadParams(const std::string& text) {
    std::stringstream ss(text);
    std::string item;
    double v[7];
    int n = 0;
    while (std::getline(ss, item, ',')) {
        if (n == 7) return std::nullopt;
        std::string t = mw::Trim(item);
        if (t.empty()) {
            v[n++] = mw::kUnsetParameter;
            continue;
        }
        auto number = mwtool::ParseNumber(t);
        if (!number) return std::nullopt;
        v[n++] = *number;
    }
    if (n != 7) return std::nullopt;
    return mw::ProjectionParamsFromList(v);
}

int Calibrate(mwtool::Args& args) {
    std::vector<std::string> pointTexts;
    while (auto p = args.Option("--point")) pointTexts.push_back(*p);
    std::vector<int> off;
    while (auto o = args.Option("--off")) {
        auto n = mwtool::ParseInteger(*o);
        if (!n || *n < 1) return mwtool::UsageError("--off takes a point number from 1");
        off.push_back(*n);
    }
    const std::string datumName = args.Option("--datum").value_or("WGS 84");
    const auto projectionText = args.Option("--projection");
    const auto paramsText = args.Option("--params");
    const auto formatText = args.Option("--format");
    auto output = args.Option("-o");
    if (!output) output = args.Option("--output");
    if (auto unknown = args.UnknownOption()) return mwtool::UsageError("unknown option " + *unknown);
    if (args.words.size() != 1) return mwtool::UsageError("map calibrate takes one PICTURE");
    const std::string picturePath = args.words[0];

    const mw::DatumTable datums = mwtool::LoadDatums(args.home);
    mw::CalibrationEdit edit;
    edit.mapDatum = mw::FindDatumByName(datums, datumName);
    // A misspelt datum would move every point by up to hundreds of metres
    // without a word; refuse it instead.
    if (edit.mapDatum == mw::kDatumWgs84 && datumName != "WGS 84")
        return mwtool::UsageError("unknown datum '" + datumName + "'");
    if (projectionText) {
        const mw::ProjectionChoice* choice = mw::FindProjectionChoiceLoosely(*projectionText);
        if (!choice) return mwtool::UsageError("unknown projection '" + *projectionText + "'");
        edit.projectionName = std::string(choice->name);
    }
    if (paramsText) {
        auto params = ReadParams(*paramsText);
        if (!params) return mwtool::UsageError("--params needs LAT0,LON0,K0,FE,FN,SP1,SP2");
        edit.params = *params;
    }
    int format = mw::kAnyPositionFormat;
    if (formatText) {
        format = mw::FindPositionFormat(*formatText);
        if (format < 0) {
            auto n = mwtool::ParseInteger(*formatText);
            if (!n || *n < 0 || *n >= mw::kPositionFormatCount)
                return mwtool::UsageError("unknown position format '" + *formatText + "'");
            format = *n;
        }
    }
    for (const std::string& text : pointTexts) {
        mw::EditPoint p;
        if (!SplitPoint(text, p)) return mwtool::UsageError("--point needs X,Y,COORD, got '" + text + "'");
        p.format = format;
        p.datum = edit.mapDatum;
        mw::ParsePoint(p, datums, edit.params);
        edit.points.push_back(std::move(p));
    }
    for (int n : off) {
        if (n > static_cast<int>(edit.points.size()))
            return mwtool::UsageError("--off " + std::to_string(n) + ": there is no such point");
        edit.points[n - 1].on = false;
    }

    std::string base = output ? *output : picturePath;
    if (!output) {
        // The picture's own name without its extension, beside it.
        const std::size_t slash = base.find_last_of('/');
        const std::size_t dot = base.find_last_of('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.resize(dot);
    }
    std::string mapPath, imagePath, error;
    if (!mw::MapPairPaths(base, mapPath, imagePath, error)) return mwtool::UsageError(error);

    std::unique_ptr<mw::PictureRows> picture = mwtool::OpenPicture(picturePath, error);
    if (!picture) return Fail(error);
    edit.imageWidth = picture->Width();
    edit.imageHeight = picture->Height();
    edit.title = mw::FileNameOf(base);
    edit.imageName = mw::FileNameOf(imagePath);

    const mw::CalibrationFit fit = mw::FitCalibration(edit, datums);
    if (!fit.CanSave()) {
        for (const std::string& problem : fit.problems) std::cerr << "mwtool: " << problem << "\n";
        return 1;
    }
    mw::EncodeReport report;
    if (!mw::EncodeMapImage(*picture, mw::EncodeOptions{}, imagePath, &report, &error))
        return Fail(error);
    if (!mw::SaveCalibration(mapPath, edit, fit, datums, error)) return Fail(error);

    for (std::size_t i = 0; i < edit.points.size(); ++i) {
        const mw::PointResidual& r = fit.residuals[i];
        std::cout << mw::Format("%zu,%d,%d,%.3f,%.3f\n", i + 1, edit.points[i].x,
                                edit.points[i].y, r.metres, r.pixels);
    }
    std::cout << mw::Format("rms,%.3f,%.3f\n", fit.rmsMetres, fit.rmsPixels);
    if (fit.worst >= 0)
        std::cerr << mw::Format("mwtool: largest residual: point %d\n", fit.worst + 1);
    return 0;
}

}  // namespace

MW_MAP_SUBCOMMAND("calibrate",
                  "map calibrate PICTURE --point X,Y,COORD [--point X,Y,COORD]... [--datum NAME] "
                  "[--projection NAME] [--params LAT0,LON0,K0,FE,FN,SP1,SP2] [--format F] [--off N]... "
                  "[-o NAME]  (writes NAME.mwf2 and NAME.map; one line a point: n,x,y,residual_m,residual_px)",
                  Calibrate);
