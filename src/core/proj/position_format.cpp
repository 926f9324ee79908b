#include "proj/position_format.h"

#include "geo/grid_refs.h"
#include "proj/families.h"
#include "support/text.h"

namespace mw {

namespace {

std::string Metres(double easting, double northing) {
    return Format("%.0f %.0f", easting, northing);
}

}  // namespace

std::string FormatPosition(double lat, double lon, int formatIndex, const DatumTable& datums,
                           int mapDatum, const ProjectionParams& tmParams) {
    if (lat == 0 && lon == 0) return "---";
    if (formatIndex < 0 || formatIndex > 15) formatIndex = 0;
    if (formatIndex == 0) return FormatDegMin(lat) + "  " + FormatDegMin(lon);
    if (formatIndex == 1) return FormatDegMinSec(lat) + "  " + FormatDegMinSec(lon);
    // Every grid shows nothing for a position on the equator, as for one never set.
    if (lat == 0) return "---";

    const Ellipsoid ell = GetDatumEllipsoid(datums, mapDatum);
    double e = 0, n = 0;
    switch (formatIndex) {
        case 2: {
            GridReference r = LatLonToUtm(lat, lon, datums, mapDatum);
            return r.zone + " " + Metres(r.easting, r.northing);
        }
        case 3: {
            GridReference r = LatLonToBritishGrid(lat, lon, datums, mapDatum);
            return r.zone + " " + Format("%05.0f %05.0f", r.easting, r.northing);
        }
        case 4: {
            GridReference r = LatLonToIrishGrid(lat, lon, datums, mapDatum);
            return r.zone + " " + Format("%05.0f %05.0f", r.easting, r.northing);
        }
        case 5:
            SwedishGridForward(lat, lon, e, n, ell);
            break;
        case 6:
            UserTmForward(tmParams.originLatitude, tmParams.centralMeridian, tmParams.scaleFactor,
                          tmParams.falseEasting, tmParams.falseNorthing, lat, lon, e, n, ell);
            break;
        case 7:
            SwissGridForward(lat, lon, e, n, ell);
            break;
        case 8:
            NzmgForward(lat, lon, e, n);
            break;
        case 9:
        case 10:
        case 11:
        case 12:
            FrenchLambertForward(formatIndex - 8, lat, lon, e, n, datums, mapDatum);
            break;
        case 13:
            ItalyZone1Forward(lat, lon, e, n, ell);
            break;
        case 14:
            ItalyZone2Forward(lat, lon, e, n, ell);
            break;
        case 15:
            VicmapForward(lat, lon, e, n, ell);
            break;
    }
    return Metres(e, n);
}

}  // namespace mw
