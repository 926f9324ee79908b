#include "raster/crs_mapping.h"

#include <cpl_error.h>
#include <ogr_spatialref.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "support/text.h"

namespace mw {

namespace {

bool Near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

// Datums the table has under another name than the one EPSG gives them, by
// EPSG datum code and by their WKT 1 name. Datums on GRS 80 that are fixed to
// the earth's crust (ETRS89, GDA94, NZGD2000, ...) are within a metre of WGS
// 84 for a moving map and go there, unless the table has them by name.
struct DatumAlias {
    int epsg;
    const char* wktName;
    const char* tableName;
};
constexpr DatumAlias kDatumAliases[] = {
    {6326, "WGS_1984", "WGS 84"},
    {6322, "World_Geodetic_System_1972", "WGS 72"},
    {6269, "North_American_Datum_1983", "NAD83"},
    {6267, "North_American_Datum_1927", "NAD27 CONUS"},
    {6277, "Ordnance_Survey_of_Great_Britain_1936", "Ord Srvy Grt Britn"},
    {6230, "European_Datum_1950", "European 1950"},
    {6668, "European_Datum_1979", "European 1979"},
    {6283, "Geocentric_Datum_of_Australia_1994", "Australian Geocentric 1994 (GDA94}"},
    {6202, "Australian_Geodetic_Datum_1966", "Australian Geodetic 1966"},
    {6203, "Australian_Geodetic_Datum_1984", "Australian Geodetic 1984"},
    {6314, "Deutsches_Hauptdreiecksnetz", "Potsdam Rauenberg DHDN"},
    {6275, "Nouvelle_Triangulation_Francaise", "NTF France"},
    {6807, "Nouvelle_Triangulation_Francaise_Paris", "NTF France"},
    {6149, "CH1903", "CH-1903"},
    {6150, "CH1903+", "CH-1903"},
    {6289, "Amersfoort", "Rijksdriehoeksmeting"},
    {6124, "Rikets_koordinatsystem_1990", "RT 90"},
    {6272, "New_Zealand_Geodetic_Datum_1949", "Geodetic Datum 1949"},
    {6301, "Tokyo", "Tokyo"},
    {6284, "Pulkovo_1942", "Pulkovo 1942 (1)"},
    {6265, "Monte_Mario", "Rome 1940"},
    {6806, "Monte_Mario_Rome", "Rome 1940"},
    {6299, "TM65", "Ireland 1965"},
    {6300, "Geodetic_Datum_of_1965", "Ireland 1965"},
    {6312, "Militar-Geographische_Institut", "Austrian"},
    {6222, "Cape", "Cape"},
    {6209, "Arc_1950", "Arc 1950"},
    {6148, "Hartebeesthoek94", "Hartebeeshoek94"},
    {6261, "Merchich", "Merchich"},
    {6263, "Minna", "Minna"},
    {6618, "South_American_Datum_1969", "South American 1969"},
    {6221, "Campo_Inchauspe", "Campo Inchauspe"},
    {6225, "Corrego_Alegre_1970-72", "Corrego Alegre"},
    {6248, "Provisional_South_American_Datum_1956", "Prov So Amrican 1956"},
    {6245, "Kertau_1968", "Kertau 1948"},
    {6204, "Ain_el_Abd_1970", "Ain el Abd 1970"},
    {6258, "European_Terrestrial_Reference_System_1989", "WGS 84"},
    {6167, "New_Zealand_Geodetic_Datum_2000", "WGS 84"},
    {6619, "SWEREF99", "WGS 84"},
    {6171, "Reseau_Geodesique_Francais_1993_v1", "WGS 84"},
    {1116, "NAD83_National_Spatial_Reference_System_2011", "NAD83"},
};

struct EllipsoidMatch {
    double a = 0, invf = 0;
};

bool SameEllipsoid(const EllipsoidRecord& e, const EllipsoidMatch& m) {
    // The tolerance lets GRS 80 and WGS 84 (0.1 mm apart in the semi-minor
    // axis) stand for each other, and no two other ellipsoids of the table.
    return Near(e.a, m.a, 0.01) && Near(e.inverseFlattening, m.invf, 1e-5);
}

const EllipsoidRecord& RowEllipsoid(const DatumTable& datums, int index) {
    const int e = datums.Row(index).ellipsoid;
    return kEllipsoids[(e >= 0 && e < kEllipsoidCount) ? e : kEllipsoidWgs84];
}

int FindRow(const DatumTable& datums, std::string_view name) {
    for (int i = 0; i < datums.datumCount; ++i)
        if (datums.rows[i].name == name) return i;
    return -1;
}

// The datum row for the system's datum, or -1.
int MatchDatum(const OGRSpatialReference& srs, const DatumTable& datums, std::string* whyNot) {
    OGRErr err = OGRERR_NONE;
    EllipsoidMatch ell{srs.GetSemiMajor(&err), srs.GetInvFlattening(&err)};
    const char* wktName = srs.GetAttrValue("DATUM");
    const std::string datumName = wktName ? wktName : "";
    const char* code = srs.GetAuthorityCode("DATUM");
    const int epsg = code ? ParseInt(code) : 0;
    const char* authority = srs.GetAuthorityName("DATUM");
    const bool isEpsg = authority && std::strcmp(authority, "EPSG") == 0;

    auto accept = [&](int row) {
        if (row >= 0 && SameEllipsoid(RowEllipsoid(datums, row), ell)) return row;
        return -1;
    };
    // The table's own name (also the user's datums of datums.dat).
    if (int row = accept(FindRow(datums, datumName)); row >= 0) return row;
    for (const DatumAlias& alias : kDatumAliases) {
        if ((isEpsg && epsg == alias.epsg) || datumName == alias.wktName) {
            if (int row = accept(FindRow(datums, alias.tableName)); row >= 0) return row;
        }
    }
    // By ellipsoid and the shift to WGS 84, where the system gives or GDAL
    // knows one.
    double shift[7] = {0, 0, 0, 0, 0, 0, 0};
    bool hasShift = srs.GetTOWGS84(shift, 7) == OGRERR_NONE;
    if (!hasShift) {
        std::unique_ptr<OGRSpatialReference> guess(srs.Clone());
        if (guess->AddGuessedTOWGS84() == OGRERR_NONE)
            hasShift = guess->GetTOWGS84(shift, 7) == OGRERR_NONE;
    }
    const bool geocentric = SameEllipsoid(kEllipsoids[kEllipsoidWgs84], ell) &&
                            (!hasShift || (std::fabs(shift[0]) < 1 && std::fabs(shift[1]) < 1 &&
                                           std::fabs(shift[2]) < 1));
    if (geocentric) return kDatumWgs84;
    if (hasShift) {
        int best = -1;
        double bestDistance = 10.0;  // metres in each axis: a 3-parameter shift's own accuracy
        for (int i = 0; i < datums.datumCount; ++i) {
            if (i == kDatumAutoShift || !SameEllipsoid(RowEllipsoid(datums, i), ell)) continue;
            const DatumRecord& r = datums.rows[i];
            const double d = std::max({std::fabs(r.dx - shift[0]), std::fabs(r.dy - shift[1]),
                                       std::fabs(r.dz - shift[2])});
            if (d <= bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        if (best >= 0) return best;
    }
    if (whyNot)
        *whyNot = "its datum (" + (datumName.empty() ? std::string("unnamed") : datumName) +
                  ") is not in the datum table";
    return -1;
}

// The projection method as PROJ names it ("Popular Visualisation Pseudo
// Mercator"), for messages.
std::string CrsDescription(const OGRSpatialReference& srs) {
    char* wkt = nullptr;
    const char* options[] = {"FORMAT=WKT2_2019", nullptr};
    std::string method;
    if (srs.exportToWkt(&wkt, options) == OGRERR_NONE && wkt) {
        const std::string text = wkt;
        const auto at = text.find("METHOD[\"");
        if (at != std::string::npos) {
            const auto end = text.find('"', at + 8);
            if (end != std::string::npos) method = text.substr(at + 8, end - at - 8);
        }
    }
    CPLFree(wkt);
    return method.empty() ? "unnamed" : method;
}

double Param(const OGRSpatialReference& srs, const char* name, double fallback = 0) {
    OGRErr err = OGRERR_NONE;
    return srs.GetNormProjParm(name, fallback, &err);
}

struct FixedTm {
    int id;
    const char* name;
    double lat0, lon0, k0, fe, fn;
};
constexpr FixedTm kFixedTmGrids[] = {
    {kProjBritishGrid, "(BNG) British National Grid", 49, -2, 0.9996012717, 400000, -100000},
    {kProjIrishGrid, "(IG) Irish Grid", 53.5, -8, 1.000035, 200000, 250000},
    {kProjSwedishGrid, "(SG) Swedish Grid", 0, 15.80827778, 1, 1500000, 0},
    {kProjItaly1, "(ITA1) Italy Grid Zone 1", 0, 9, 0.9996, 1500000, 0},
    {kProjItaly2, "(ITA2) Italy Grid Zone 2", 0, 15, 0.9996, 2520000, 0},
    {kProjVicmap, "(VICMAP-TM) Victoria Aust.", 0, 145, 1, 500000, 10000000},
};

// Fills the projection of `out` from `srs`; false (with `whyNot`) when the
// program has none that fits.
bool MatchProjection(const OGRSpatialReference& srs, double pm, MapCoordinateSystem& out,
                     std::string* whyNot) {
    const char* method = srs.GetAttrValue("PROJECTION");
    const std::string m = method ? method : "";
    ProjectionParams& p = out.params;
    auto set = [&](int id, const char* name) {
        out.projectionId = id;
        out.projectionName = name;
        return true;
    };
    const double lon0 = Param(srs, SRS_PP_CENTRAL_MERIDIAN) + pm;
    // A method WKT 1 cannot name travels as a PROJ string beside a look-alike
    // (Web Mercator is written as Mercator on a sphere): the look-alike would
    // place the map wrongly, so such systems never fit.
    if (srs.GetExtension("PROJCS", "PROJ4", nullptr)) {
        if (whyNot) *whyNot = "its projection (" + CrsDescription(srs) + ") is not one of the program's";
        return false;
    }

    if (m == SRS_PT_TRANSVERSE_MERCATOR) {
        const double lat0 = Param(srs, SRS_PP_LATITUDE_OF_ORIGIN);
        const double k0 = Param(srs, SRS_PP_SCALE_FACTOR, 1);
        const double fe = Param(srs, SRS_PP_FALSE_EASTING), fn = Param(srs, SRS_PP_FALSE_NORTHING);
        int north = 1;
        const int zone = pm == 0 ? const_cast<OGRSpatialReference&>(srs).GetUTMZone(&north) : 0;
        if (zone >= 1 && zone <= 60) {
            out.utmZone = zone;
            out.southern = north == 0;
            return set(kProjUtm, "(UTM) Universal Transverse Mercator");
        }
        for (const FixedTm& g : kFixedTmGrids) {
            if (Near(lat0, g.lat0, 1e-7) && Near(lon0, g.lon0, 1e-7) && Near(k0, g.k0, 1e-9) &&
                Near(fe, g.fe, 1e-3) && Near(fn, g.fn, 1e-3))
                return set(g.id, g.name);
        }
        p.originLatitude = lat0;
        p.centralMeridian = lon0;
        p.scaleFactor = k0;
        p.falseEasting = fe;
        p.falseNorthing = fn;
        return set(kProjTransverseMercator, "Transverse Mercator");
    }
    if (m == SRS_PT_LAMBERT_CONFORMAL_CONIC_1SP) {
        // One standard parallel and a scale factor is the same cone as two
        // secant parallels; GDAL finds them.
        std::unique_ptr<OGRSpatialReference> two(
            srs.convertToOtherProjection(SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP));
        if (!two) {
            if (whyNot) *whyNot = "its Lambert conic could not be expressed with two parallels";
            return false;
        }
        return MatchProjection(*two, pm, out, whyNot);
    }
    if (m == SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP) {
        // The origin latitude and false origin only shift the projected
        // coordinates, which the calibration absorbs.
        p.standardParallel1 = Param(srs, SRS_PP_STANDARD_PARALLEL_1);
        p.standardParallel2 = Param(srs, SRS_PP_STANDARD_PARALLEL_2);
        p.centralMeridian = lon0;
        if (std::fabs(p.standardParallel1 + p.standardParallel2) < 1e-10) {
            if (whyNot) *whyNot = "its Lambert parallels lie symmetric about the equator";
            return false;
        }
        return set(kProjLambert, "Lambert Conformal Conic");
    }
    if (m == SRS_PT_ALBERS_CONIC_EQUAL_AREA) {
        p.originLatitude = Param(srs, SRS_PP_LATITUDE_OF_CENTER);
        p.centralMeridian = Param(srs, SRS_PP_LONGITUDE_OF_CENTER) + pm;
        p.standardParallel1 = Param(srs, SRS_PP_STANDARD_PARALLEL_1);
        p.standardParallel2 = Param(srs, SRS_PP_STANDARD_PARALLEL_2);
        if (std::fabs(p.standardParallel1 + p.standardParallel2) < 1e-10) {
            if (whyNot) *whyNot = "its Albers parallels lie symmetric about the equator";
            return false;
        }
        return set(kProjAlbers, "Albers Equal Area");
    }
    if (m == SRS_PT_MERCATOR_1SP || m == SRS_PT_MERCATOR_2SP) {
        // The program's Mercator is true at the equator on meridian 0: another
        // central meridian shifts the eastings, another scale or standard
        // parallel scales both axes alike, and the calibration absorbs both.
        return set(kProjMercator, "Mercator");
    }
    if (m == SRS_PT_POLYCONIC) {
        p.centralMeridian = lon0;
        return set(kProjPolyconic, "Polyconic (American)");
    }
    if (m == SRS_PT_BONNE || m == SRS_PT_SINUSOIDAL) {
        p.originLatitude = m == SRS_PT_BONNE ? Param(srs, SRS_PP_STANDARD_PARALLEL_1) : 0;
        p.centralMeridian = m == SRS_PT_BONNE ? lon0 : Param(srs, SRS_PP_LONGITUDE_OF_CENTER) + pm;
        return set(kProjBonne, "Bonne");
    }
    if (m == SRS_PT_VANDERGRINTEN) {
        p.centralMeridian = lon0;
        return set(kProjVanDerGrinten, "Van Der Grinten");
    }
    if (m == SRS_PT_HOTINE_OBLIQUE_MERCATOR_AZIMUTH_CENTER &&
        Near(Param(srs, SRS_PP_LATITUDE_OF_CENTER), 46.952405555555556, 1e-7) &&
        Near(Param(srs, SRS_PP_LONGITUDE_OF_CENTER) + pm, 7.439583333333333, 1e-7) &&
        Near(Param(srs, SRS_PP_AZIMUTH), 90, 1e-7) && Near(Param(srs, SRS_PP_SCALE_FACTOR, 1), 1, 1e-9)) {
        // The Swiss grid, old (LV03) or new (LV95): they differ by a shift.
        return set(kProjSwissGrid, "(SUI) Swiss Grid");
    }
    if (m == SRS_PT_NEW_ZEALAND_MAP_GRID && Near(Param(srs, SRS_PP_LATITUDE_OF_ORIGIN), -41, 1e-7) &&
        Near(lon0, 173, 1e-7)) {
        return set(kProjNewZealandGrid, "(NZG) New Zealand Grid");
    }
    if (whyNot)
        *whyNot = "its projection (" + (m.empty() ? std::string("unnamed") : m) +
                  ") is not one of the program's";
    return false;
}

}  // namespace

bool ReadCoordinateSystem(const std::string& definition, OGRSpatialReference& srs) {
    const char* const options[] = {"ALLOW_NETWORK_ACCESS=NO", "ALLOW_FILE_ACCESS=NO", nullptr};
    return srs.SetFromUserInput(definition.c_str(), options) == OGRERR_NONE && !srs.IsEmpty();
}

CrsMatch MatchCoordinateSystem(const std::string& definition, const DatumTable& datums) {
    CrsMatch result;
    OGRSpatialReference srs;
    CPLErrorReset();
    // GDAL's complaints about odd systems become our reasons, not stderr.
    struct Quiet {
        Quiet() { CPLPushErrorHandler(CPLQuietErrorHandler); }
        ~Quiet() { CPLPopErrorHandler(); }
    } quiet;
    const bool read = ReadCoordinateSystem(definition, srs);
    if (!read) {
        const char* msg = CPLGetLastErrorMsg();
        result.parseError = (msg && *msg) ? msg : "not a coordinate system GDAL knows";
        return result;
    }
    result.parsed = true;
    if (srs.IsCompound()) srs.StripVertical();
    if (const char* name = srs.GetName()) result.crsName = name;

    const char* pmName = nullptr;
    result.primeMeridian = srs.GetPrimeMeridian(&pmName);

    MapCoordinateSystem out;
    if (srs.IsGeographic()) {
        if (srs.IsDerivedGeographic()) {
            result.whyNot = "it is a rotated-pole system";
            return result;
        }
        if (!Near(srs.GetAngularUnits(), 0.017453292519943295, 1e-15)) {
            result.whyNot = "its angles are not in degrees";
            return result;
        }
        out.projectionId = kProjLatLon;
        out.projectionName = "Latitude/Longitude";
    } else if (srs.IsProjected()) {
        if (!MatchProjection(srs, result.primeMeridian, out, &result.whyNot)) return result;
    } else {
        result.whyNot = "it is neither a geographic nor a projected system";
        return result;
    }
    const int row = MatchDatum(srs, datums, &result.whyNot);
    if (row < 0) return result;
    out.datumIndex = row;
    out.datumName = datums.Row(row).name;
    result.system = out;
    return result;
}

}  // namespace mw
