#include "raster/georeference.h"

#include "raster/crs_mapping.h"

#include <cpl_error.h>
#include <gdal.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace mw {

namespace {

struct DatasetCloser {
    void operator()(GDALDataset* d) const { GDALClose(GDALDataset::ToHandle(d)); }
};

std::string LastGdalError(const char* fallback) {
    const char* msg = CPLGetLastErrorMsg();
    return (msg && *msg) ? msg : fallback;
}

}  // namespace

std::string NoGeoreferenceText(const std::string& name) {
    return name + " has no georeference (give --crs with a world file, or calibrate it by hand)";
}

bool CrsReadable(const std::string& definition, std::string* reason) {
    OGRSpatialReference srs;
    CPLErrorReset();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const bool read = ReadCoordinateSystem(definition, srs);
    CPLPopErrorHandler();
    if (read) return true;
    if (reason) *reason = LastGdalError("not a coordinate system GDAL knows");
    return false;
}

GeoreferenceOutcome FindGeoreference(const std::string& path, const std::string& crs,
                                     const std::string& name) {
    GeoreferenceOutcome out;
    auto fail = [&](GeoreferenceFault fault, std::string message) {
        out.fault = fault;
        out.message = std::move(message);
        return out;
    };
    GDALAllRegister();
    if (!crs.empty()) {
        std::string reason;
        if (!CrsReadable(crs, &reason))
            return fail(GeoreferenceFault::BadCrs,
                        name + ": the coordinate system \"" + crs + "\" cannot be read (" + reason + ")");
    }
    // The world file beside the raster is read here, not by GDAL, so that a
    // broken one is reported rather than silently passed over.
    CPLSetThreadLocalConfigOption("GDAL_GEOREF_SOURCES", "PAM,INTERNAL");
    CPLErrorReset();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    std::unique_ptr<GDALDataset, DatasetCloser> ds(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    CPLPopErrorHandler();
    // Drivers read the georeference lazily: the option holds until it is read.
    struct ResetOption {
        ~ResetOption() { CPLSetThreadLocalConfigOption("GDAL_GEOREF_SOURCES", nullptr); }
    } resetOption;
    if (!ds)
        return fail(GeoreferenceFault::CannotOpen,
                    name + ": cannot be read as a picture (" + LastGdalError("unknown format") + ")");

    RasterGeoreference g;
    g.width = ds->GetRasterXSize();
    g.height = ds->GetRasterYSize();
    double c[6];
    const bool fileTransform = ds->GetGeoTransform(c) == CE_None;
    const OGRSpatialReference* fileSrs = ds->GetSpatialRef();
    std::string fileCrs;
    if (fileSrs && !fileSrs->IsEmpty()) {
        char* wkt = nullptr;
        const char* options[] = {"FORMAT=WKT2_2019", nullptr};
        if (fileSrs->exportToWkt(&wkt, options) == OGRERR_NONE && wkt) fileCrs = wkt;
        CPLFree(wkt);
    }
    if (fileTransform) {
        for (int i = 0; i < 6; ++i) g.transform.c[i] = c[i];
        if (g.transform.Invertible() && (!fileCrs.empty() || !crs.empty())) {
            g.crs = crs.empty() ? fileCrs : crs;
            g.source = crs.empty() ? "the file" : "the file, with the coordinate system given";
            out.georeference = g;
            return out;
        }
    }

    for (const std::string& candidate : WorldFileCandidates(path)) {
        std::string reason;
        bool missing = false;
        auto text = ReadSmallFile(candidate, kMaxWorldFileBytes, &reason, &missing);
        if (!text) {
            if (missing) continue;
            return fail(GeoreferenceFault::BadWorldFile, candidate + ": " + reason);
        }
        auto transform = ParseWorldFile(*text, &reason);
        if (!transform)
            return fail(GeoreferenceFault::BadWorldFile,
                        candidate + " is not a usable world file: " + reason);
        g.transform = *transform;
        g.source = "world file " + candidate;
        if (!crs.empty()) {
            g.crs = crs;
        } else {
            for (const std::string& prj : PrjFileCandidates(path)) {
                auto raw = ReadSmallFile(prj, kMaxPrjFileBytes, &reason, &missing);
                if (!raw) {
                    if (missing) continue;
                    return fail(GeoreferenceFault::BadCrs, prj + ": " + reason);
                }
                auto cleaned = CleanPrjText(*raw, &reason);
                if (!cleaned || !CrsReadable(*cleaned, &reason))
                    return fail(GeoreferenceFault::BadCrs,
                                prj + ": the coordinate system cannot be read (" + reason + ")");
                g.crs = *cleaned;
                g.source += " and " + prj;
                break;
            }
            if (g.crs.empty()) g.crs = fileCrs;
        }
        if (g.crs.empty())
            return fail(GeoreferenceFault::NoCrs,
                        name + ": the world file " + candidate +
                            " gives no coordinate system (put a .prj file beside it, or give --crs)");
        out.georeference = g;
        return out;
    }
    if (fileTransform && g.transform.Invertible())
        return fail(GeoreferenceFault::NoCrs,
                    name + " has a transform but no coordinate system (give --crs)");
    return fail(GeoreferenceFault::NoGeoreference, NoGeoreferenceText(name));
}

}  // namespace mw
