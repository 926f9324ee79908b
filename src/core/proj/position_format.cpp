#include "proj/position_format.h"

#include "geo/grid_refs.h"
#include "proj/families.h"
#include "support/number_format.h"

namespace mw {

namespace {

// "%.0f %.0f"
void AppendMetres(std::string& out, double easting, double northing) {
    AppendFixed(out, easting, 0);
    out += ' ';
    AppendFixed(out, northing, 0);
}

// "%05.0f %05.0f": the metres within a letter square keep their leading zeros.
void AppendSquareMetres(std::string& out, double easting, double northing) {
    AppendFixedZeroPadded(out, easting, 0, 5);
    out += ' ';
    AppendFixedZeroPadded(out, northing, 0, 5);
}

}  // namespace

std::string FormatPosition(double lat, double lon, int formatIndex, const DatumTable& datums,
                           int mapDatum, const ProjectionParams& tmParams) {
    std::string text;
    AppendPosition(text, lat, lon, formatIndex, datums, mapDatum, tmParams);
    return text;
}

void AppendPosition(std::string& out, double lat, double lon, int formatIndex,
                    const DatumTable& datums, int mapDatum, const ProjectionParams& tmParams) {
    if (lat == 0 && lon == 0) {
        out += "---";
        return;
    }
    if (formatIndex < 0 || formatIndex > 15) formatIndex = 0;
    if (formatIndex == 0) {
        AppendDegMin(out, lat);
        out += "  ";
        AppendDegMin(out, lon);
        return;
    }
    if (formatIndex == 1) {
        AppendDegMinSec(out, lat);
        out += "  ";
        AppendDegMinSec(out, lon);
        return;
    }
    // Every grid shows nothing for a position on the equator, as for one never set.
    if (lat == 0) {
        out += "---";
        return;
    }

    const Ellipsoid ell = GetDatumEllipsoid(datums, mapDatum);
    double e = 0, n = 0;
    switch (formatIndex) {
        case 2: {
            GridReference r = LatLonToUtm(lat, lon, datums, mapDatum);
            out += r.zone;
            out += ' ';
            AppendMetres(out, r.easting, r.northing);
            return;
        }
        case 3: {
            GridReference r = LatLonToBritishGrid(lat, lon, datums, mapDatum);
            out += r.zone;
            out += ' ';
            AppendSquareMetres(out, r.easting, r.northing);
            return;
        }
        case 4: {
            GridReference r = LatLonToIrishGrid(lat, lon, datums, mapDatum);
            out += r.zone;
            out += ' ';
            AppendSquareMetres(out, r.easting, r.northing);
            return;
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
    AppendMetres(out, e, n);
}

}  // namespace mw
