// The Transverse Mercator family: the user's own Transverse Mercator, UTM map
// coordinates, the British and Irish grids without their false origins, and
// the Swedish, Italian and Victorian grids with theirs. All of them are the
// one series of geo/transverse_mercator.h with fixed constants.
#include <cmath>

#include "geo/transverse_mercator.h"
#include "proj/families.h"
#include "proj/projection.h"

namespace mw {

namespace {

struct TmConstants {
    double lat0, lon0, k0, fe, fn;
};

constexpr TmConstants kSwedish{0.0, 15.80827778, 1.0, 1500000.0, 0.0};
constexpr TmConstants kItaly1{0.0, 9.0, 0.9996, 1500000.0, 0.0};
constexpr TmConstants kItaly2{0.0, 15.0, 0.9996, 2520000.0, 0.0};
constexpr TmConstants kVicmap{0.0, 145.0, 1.0, 500000.0, 10000000.0};

int FixedForward(const TmConstants& c, double lat, double lon, double& easting, double& northing,
                 const Ellipsoid& ell) {
    TmForward(lat, lon, c.lat0, c.lon0, c.k0, easting, northing, ell);
    easting += c.fe;
    northing += c.fn;
    return kProjOk;
}

int FixedInverse(const TmConstants& c, double easting, double northing, double& lat, double& lon,
                 const Ellipsoid& ell) {
    TmInverse(easting - c.fe, northing - c.fn, c.lat0, c.lon0, c.k0, lat, lon, ell);
    return kProjOk;
}

TmConstants GridConstants(GridTmKind kind, double utmCentralMeridian) {
    switch (kind) {
        case GridTmKind::British:
            return {49.0, -2.0, 0.9996012717, 0, 0};
        case GridTmKind::Irish:
            return {53.5, -8.0, 1.000035, 0, 0};
        case GridTmKind::Utm:
            break;
    }
    return {0.0, utmCentralMeridian, 0.9996, 0, 0};
}

bool AnyUnset(double lat0, double lon0, double k0, double fe, double fn) {
    return lat0 == kUnsetParameter || lon0 == kUnsetParameter || k0 == kUnsetParameter ||
           fe == kUnsetParameter || fn == kUnsetParameter;
}

}  // namespace

int UserTmForward(double lat0, double lon0, double k0, double fe, double fn, double lat, double lon,
                  double& easting, double& northing, const Ellipsoid& ell) {
    if (AnyUnset(lat0, lon0, k0, fe, fn)) {
        easting = northing = 0;
        return kProjOk;
    }
    return FixedForward({lat0, lon0, k0, fe, fn}, lat, lon, easting, northing, ell);
}

int UserTmInverse(double lat0, double lon0, double k0, double fe, double fn, double easting,
                  double northing, double& lat, double& lon, const Ellipsoid& ell) {
    if (AnyUnset(lat0, lon0, k0, fe, fn)) {
        lat = lon = 0;
        return kProjOk;
    }
    return FixedInverse({lat0, lon0, k0, fe, fn}, easting, northing, lat, lon, ell);
}

int GridTmForward(GridTmKind kind, double utmCentralMeridian, double lat, double lon,
                  double& easting, double& northing, const Ellipsoid& ell) {
    return FixedForward(GridConstants(kind, utmCentralMeridian), lat, lon, easting, northing, ell);
}

int GridTmForward(GridTmKind kind, double utmCentralMeridian, double lat, double lon,
                  double& easting, double& northing, const DatumTable& datums, int datum) {
    const TmConstants c = GridConstants(kind, utmCentralMeridian);
    TmForward(lat, lon, c.lat0, c.lon0, c.k0, easting, northing, datums, datum);
    return kProjOk;
}

int GridTmInverse(GridTmKind kind, double utmCentralMeridian, double easting, double northing,
                  double& lat, double& lon, const Ellipsoid& ell) {
    return FixedInverse(GridConstants(kind, utmCentralMeridian), easting, northing, lat, lon, ell);
}

int SwedishGridForward(double lat, double lon, double& e, double& n, const Ellipsoid& ell) {
    return FixedForward(kSwedish, lat, lon, e, n, ell);
}
int SwedishGridInverse(double e, double n, double& lat, double& lon, const Ellipsoid& ell) {
    return FixedInverse(kSwedish, e, n, lat, lon, ell);
}
int ItalyZone1Forward(double lat, double lon, double& e, double& n, const Ellipsoid& ell) {
    return FixedForward(kItaly1, lat, lon, e, n, ell);
}
int ItalyZone1Inverse(double e, double n, double& lat, double& lon, const Ellipsoid& ell) {
    return FixedInverse(kItaly1, e, n, lat, lon, ell);
}
int ItalyZone2Forward(double lat, double lon, double& e, double& n, const Ellipsoid& ell) {
    return FixedForward(kItaly2, lat, lon, e, n, ell);
}
int ItalyZone2Inverse(double e, double n, double& lat, double& lon, const Ellipsoid& ell) {
    return FixedInverse(kItaly2, e, n, lat, lon, ell);
}
int VicmapForward(double lat, double lon, double& e, double& n, const Ellipsoid& ell) {
    return FixedForward(kVicmap, lat, lon, e, n, ell);
}
int VicmapInverse(double e, double n, double& lat, double& lon, const Ellipsoid& ell) {
    return FixedInverse(kVicmap, e, n, lat, lon, ell);
}

}  // namespace mw
