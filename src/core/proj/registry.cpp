// The projection table: one row per supported projection with its key, id
// and routines. The rows adapt the map's parameters and datum to the
// family routines of families.h; false origins, zones and datums stay in
// those routines, so this file holds no geometry.
#include <array>

#include "proj/families.h"
#include "proj/projection.h"

namespace mw {

namespace {

using ForwardFn = int (*)(const ProjectionState&, const DatumTable&, double lat, double lon,
                          double& easting, double& northing);
using InverseFn = int (*)(const ProjectionState&, const DatumTable&, double easting,
                          double northing, double& lat, double& lon);

struct ProjectionRow {
    int id;
    const char* key;  // exactly five characters
    ForwardFn forward;
    InverseFn inverse;
};

Ellipsoid MapEllipsoid(const ProjectionState& s, const DatumTable& d) {
    return GetDatumEllipsoid(d, s.mapDatum);
}

int LatLonForward(const ProjectionState&, const DatumTable&, double lat, double lon, double& e,
                  double& n) {
    e = lon;
    n = lat;
    return kProjOk;
}
int LatLonInverse(const ProjectionState&, const DatumTable&, double e, double n, double& lat,
                  double& lon) {
    lat = n;
    lon = e;
    return kProjOk;
}

template <GridTmKind kKind>
int GridForward(const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
                double& n) {
    return GridTmForward(kKind, s.utmCentralMeridian, lat, lon, e, n, d, s.mapDatum);
}
template <GridTmKind kKind>
int GridInverse(const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
                double& lon) {
    return GridTmInverse(kKind, s.utmCentralMeridian, e, n, lat, lon, MapEllipsoid(s, d));
}

// Fixed grids whose routines take only the ellipsoid.
using FixedForwardFn = int (*)(double, double, double&, double&, const Ellipsoid&);
template <FixedForwardFn kFn>
int FixedForward(const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
                 double& n) {
    return kFn(lat, lon, e, n, MapEllipsoid(s, d));
}
template <FixedForwardFn kFn>
int FixedInverse(const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
                 double& lon) {
    return kFn(e, n, lat, lon, MapEllipsoid(s, d));
}

template <int kZone>
int FrenchForward(const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
                  double& n) {
    return FrenchLambertForward(kZone, lat, lon, e, n, d, s.mapDatum);
}
template <int kZone>
int FrenchInverse(const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
                  double& lon) {
    return FrenchLambertInverse(kZone, e, n, lat, lon, d, s.mapDatum);
}

const std::array<ProjectionRow, 21> kProjections = {{
    {kProjLatLon, "Latit", LatLonForward, LatLonInverse},
    {kProjUtm, "(UTM)", GridForward<GridTmKind::Utm>, GridInverse<GridTmKind::Utm>},
    {kProjAlbers, "Alber",
     [](const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
        double& n) {
         const ProjectionParams& p = s.params;
         return AlbersForward(p.originLatitude, p.standardParallel1, p.standardParallel2,
                              p.centralMeridian, lat, lon, e, n, MapEllipsoid(s, d));
     },
     [](const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
        double& lon) {
         const ProjectionParams& p = s.params;
         return AlbersInverse(p.originLatitude, p.standardParallel1, p.standardParallel2,
                              p.centralMeridian, e, n, lat, lon, MapEllipsoid(s, d));
     }},
    {kProjPolyconic, "Polyc",
     [](const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
        double& n) {
         return PolyconicForward(s.params.centralMeridian, lat, lon, e, n, MapEllipsoid(s, d));
     },
     [](const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
        double& lon) {
         return PolyconicInverse(s.params.centralMeridian, e, n, lat, lon, MapEllipsoid(s, d));
     }},
    {kProjBritishGrid, "(BNG)", GridForward<GridTmKind::British>, GridInverse<GridTmKind::British>},
    {kProjIrishGrid, "(IG) ", GridForward<GridTmKind::Irish>, GridInverse<GridTmKind::Irish>},
    {kProjSwedishGrid, "(SG) ", FixedForward<SwedishGridForward>, FixedInverse<SwedishGridInverse>},
    {kProjMercator, "Merca", FixedForward<MercatorForward>, FixedInverse<MercatorInverse>},
    {kProjSwissGrid, "(SUI)", FixedForward<SwissGridForward>, FixedInverse<SwissGridInverse>},
    {kProjTransverseMercator, "Trans",
     [](const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
        double& n) {
         const ProjectionParams& p = s.params;
         return UserTmForward(p.originLatitude, p.centralMeridian, p.scaleFactor, p.falseEasting,
                              p.falseNorthing, lat, lon, e, n, MapEllipsoid(s, d));
     },
     [](const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
        double& lon) {
         const ProjectionParams& p = s.params;
         return UserTmInverse(p.originLatitude, p.centralMeridian, p.scaleFactor, p.falseEasting,
                              p.falseNorthing, e, n, lat, lon, MapEllipsoid(s, d));
     }},
    {kProjLambert, "Lambe",
     [](const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
        double& n) {
         const ProjectionParams& p = s.params;
         return LambertForward(p.standardParallel1, p.standardParallel2, p.centralMeridian, 0, 0, 0,
                               lat, lon, e, n, MapEllipsoid(s, d));
     },
     [](const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
        double& lon) {
         const ProjectionParams& p = s.params;
         return LambertInverse(p.standardParallel1, p.standardParallel2, p.centralMeridian, 0, 0, 0,
                               e, n, lat, lon, MapEllipsoid(s, d));
     }},
    {kProjNewZealandGrid, "(NZG)",
     [](const ProjectionState&, const DatumTable&, double lat, double lon, double& e, double& n) {
         return NzmgForward(lat, lon, e, n);
     },
     [](const ProjectionState&, const DatumTable&, double e, double n, double& lat, double& lon) {
         return NzmgInverse(e, n, lat, lon);
     }},
    {kProjFrenchI, "(I) F", FrenchForward<1>, FrenchInverse<1>},
    {kProjFrenchII, "(II) ", FrenchForward<2>, FrenchInverse<2>},
    {kProjFrenchIII, "(III)", FrenchForward<3>, FrenchInverse<3>},
    {kProjFrenchIV, "(IV) ", FrenchForward<4>, FrenchInverse<4>},
    {kProjVanDerGrinten, "Van D",
     [](const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
        double& n) {
         return VanDerGrintenForward(s.params.centralMeridian, lat, lon, e, n, MapEllipsoid(s, d));
     },
     [](const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
        double& lon) {
         return VanDerGrintenInverse(s.params.centralMeridian, e, n, lat, lon, MapEllipsoid(s, d));
     }},
    {kProjBonne, "Bonne",
     [](const ProjectionState& s, const DatumTable& d, double lat, double lon, double& e,
        double& n) {
         return BonneForward(s.params.originLatitude, s.params.centralMeridian, lat, lon, e, n,
                             MapEllipsoid(s, d));
     },
     [](const ProjectionState& s, const DatumTable& d, double e, double n, double& lat,
        double& lon) {
         return BonneInverse(s.params.originLatitude, s.params.centralMeridian, e, n, lat, lon,
                             MapEllipsoid(s, d));
     }},
    {kProjItaly1, "(ITA1", FixedForward<ItalyZone1Forward>, FixedInverse<ItalyZone1Inverse>},
    {kProjItaly2, "(ITA2", FixedForward<ItalyZone2Forward>, FixedInverse<ItalyZone2Inverse>},
    {kProjVicmap, "(VICM", FixedForward<VicmapForward>, FixedInverse<VicmapInverse>},
}};

const ProjectionRow* FindRow(int id) {
    // Ids 1..21 are the rows in order; the search only guards that order.
    if (id >= 1 && id <= static_cast<int>(kProjections.size()) && kProjections[id - 1].id == id)
        return &kProjections[id - 1];
    for (const ProjectionRow& row : kProjections)
        if (row.id == id) return &row;
    return nullptr;
}

}  // namespace

int ProjectionIdFromName(std::string_view projectionName) {
    if (projectionName.size() < 5) return kProjUnsupported;
    const std::string_view head = projectionName.substr(0, 5);
    for (const ProjectionRow& row : kProjections)
        if (head == row.key) return row.id;
    return kProjUnsupported;
}

ProjectedPoint ProjectForward(int id, const ProjectionState& state, const DatumTable& datums,
                              double lat, double lon) {
    ProjectedPoint out;
    out.easting = lon;
    out.northing = lat;
    if (const ProjectionRow* row = FindRow(id))
        out.error = row->forward(state, datums, lat, lon, out.easting, out.northing);
    return out;
}

GeoResult ProjectInverse(int id, const ProjectionState& state, const DatumTable& datums,
                         double easting, double northing) {
    GeoResult out;
    out.lat = northing;
    out.lon = easting;
    if (const ProjectionRow* row = FindRow(id))
        out.error = row->inverse(state, datums, easting, northing, out.lat, out.lon);
    return out;
}

}  // namespace mw
