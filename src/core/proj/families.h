// The projection routines, one family per source file, called through the
// dispatch of projection.h or directly by the position formats.
//
// Forward routines take latitude/longitude in degrees and give easting and
// northing in metres; inverse routines the reverse. Each returns an error
// code of ProjectionErrorCode (0 = success, -19 = a clamped asin/acos but a
// usable result). What a routine writes on failure is stated with it. Unless
// noted, the routines add no false origin of their own; the ellipsoid is that
// of the map's datum.
#pragma once

#include "geo/datums.h"

namespace mw {

// --- Transverse Mercator family (tmerc.cpp) --------------------------------

// User Transverse Mercator: the map's lat0, lon0, k0, false easting and
// northing. If any of the five is 777.0, easting = northing = 0 (forward) or
// lat = lon = 0 (inverse).
int UserTmForward(double lat0, double lon0, double k0, double fe, double fn, double lat, double lon,
                  double& easting, double& northing, const Ellipsoid& ell);
int UserTmInverse(double lat0, double lon0, double k0, double fe, double fn, double easting,
                  double northing, double& lat, double& lon, const Ellipsoid& ell);

// Fixed-constant Transverse Mercator without false origin: UTM map
// coordinates (central meridian `utmCentralMeridian`, k0 0.9996), British
// National Grid (49° N, 2° W, 0.9996012717) and Irish Grid (53.5° N, 8° W,
// 1.000035).
enum class GridTmKind { Utm = 0, British = 1, Irish = 2 };
int GridTmForward(GridTmKind kind, double utmCentralMeridian, double lat, double lon,
                  double& easting, double& northing, const Ellipsoid& ell);
int GridTmInverse(GridTmKind kind, double utmCentralMeridian, double easting, double northing,
                  double& lat, double& lon, const Ellipsoid& ell);
// The same on the ellipsoid of a datum of the table (the map display's path:
// the series constants of the datum's ellipsoid are made only once).
int GridTmForward(GridTmKind kind, double utmCentralMeridian, double lat, double lon,
                  double& easting, double& northing, const DatumTable& datums, int datum);

// National grids with their own false origins: Swedish (15.80827778° E, k0 1,
// FE 1500000), Italy zone 1 (9° E, 0.9996, FE 1500000), Italy zone 2 (15° E,
// 0.9996, FE 2520000), VICMAP-TM (145° E, k0 1, FE 500000, FN 10000000).
int SwedishGridForward(double lat, double lon, double& easting, double& northing,
                       const Ellipsoid& ell);
int SwedishGridInverse(double easting, double northing, double& lat, double& lon,
                       const Ellipsoid& ell);
int ItalyZone1Forward(double lat, double lon, double& easting, double& northing,
                      const Ellipsoid& ell);
int ItalyZone1Inverse(double easting, double northing, double& lat, double& lon,
                      const Ellipsoid& ell);
int ItalyZone2Forward(double lat, double lon, double& easting, double& northing,
                      const Ellipsoid& ell);
int ItalyZone2Inverse(double easting, double northing, double& lat, double& lon,
                      const Ellipsoid& ell);
int VicmapForward(double lat, double lon, double& easting, double& northing, const Ellipsoid& ell);
int VicmapInverse(double easting, double northing, double& lat, double& lon, const Ellipsoid& ell);

// --- Lambert conformal conic (lcc.cpp) ------------------------------------

// Two standard parallels sp1, sp2, central meridian lon0 and origin latitude
// lat0 in degrees, false origin fe, fn. When sp1, sp2 or lon0 is 777.0, or
// the parallels are symmetric about the equator (error 41), nothing is
// written. A pole on the far side of the cone gives error 44 with
// easting = northing = 0. The inverse gives lat = lon = 0 with the
// no-convergence error when its latitude iteration fails.
int LambertForward(double sp1, double sp2, double lon0, double lat0, double fe, double fn,
                   double lat, double lon, double& easting, double& northing, const Ellipsoid& ell);
int LambertInverse(double sp1, double sp2, double lon0, double lat0, double fe, double fn,
                   double easting, double northing, double& lat, double& lon, const Ellipsoid& ell);

// The French Lambert zones I..IV (`zone` 1..4) on the datum "NTF France":
// the position is converted from `datum` to NTF France (and back on the
// inverse), projected on Clarke 1880 IGN, and the zone's false origin added.
// A point the Lambert routine cannot project gives the false origin alone.
int FrenchLambertForward(int zone, double lat, double lon, double& easting, double& northing,
                         const DatumTable& datums, int datum);
int FrenchLambertInverse(int zone, double easting, double northing, double& lat, double& lon,
                         const DatumTable& datums, int datum);

// --- Albers equal-area conic (aea.cpp) -----------------------------------

// originLatitude lat0, standard parallels sp1, sp2, central meridian lon0 in
// degrees. lon0, sp1 or sp2 equal to 777.0 gives zeros; parallels symmetric
// about the equator give error 31 and zeros. A point outside the projection's
// domain, or a failed inverse iteration, gives zeros with an error.
int AlbersForward(double lat0, double sp1, double sp2, double lon0, double lat, double lon,
                  double& easting, double& northing, const Ellipsoid& ell);
int AlbersInverse(double lat0, double sp1, double sp2, double lon0, double easting, double northing,
                  double& lat, double& lon, const Ellipsoid& ell);

// --- Polyconic (poly.cpp) -------------------------------------------------

// Central meridian lon0 in degrees, origin latitude 0. lon0 = 777.0 writes
// nothing. The inverse (Newton iteration on latitude, at most 20 rounds to
// 1e-12) gives error 74 and zeros when it does not converge.
int PolyconicForward(double lon0, double lat, double lon, double& easting, double& northing,
                     const Ellipsoid& ell);
int PolyconicInverse(double lon0, double easting, double northing, double& lat, double& lon,
                     const Ellipsoid& ell);

// --- Mercator (merc.cpp) --------------------------------------------------

// Central meridian 0, true scale at the equator. Within 1e-10 rad of a pole
// nothing is written (error kProjErrOutOfRange).
int MercatorForward(double lat, double lon, double& easting, double& northing,
                    const Ellipsoid& ell);
int MercatorInverse(double easting, double northing, double& lat, double& lon,
                    const Ellipsoid& ell);

// --- Bonne (bonne.cpp) ----------------------------------------------------

// Standard parallel lat1 (the map's originLatitude) and central meridian lon0
// in degrees; either equal to 777.0 writes nothing. lat1 = 0 is the
// sinusoidal projection. The inverse gives the central meridian as longitude
// at a pole.
int BonneForward(double lat1, double lon0, double lat, double lon, double& easting,
                 double& northing, const Ellipsoid& ell);
int BonneInverse(double lat1, double lon0, double easting, double northing, double& lat,
                 double& lon, const Ellipsoid& ell);

// --- Van der Grinten (vandg.cpp) -------------------------------------------

// Central meridian lon0 in degrees, on a sphere of radius ell.a. 777.0 writes
// nothing; a failure gives zeros with an error.
int VanDerGrintenForward(double lon0, double lat, double lon, double& easting, double& northing,
                         const Ellipsoid& ell);
int VanDerGrintenInverse(double lon0, double easting, double northing, double& lat, double& lon,
                         const Ellipsoid& ell);

// --- Swiss Grid, oblique conformal (somerc.cpp) -----------------------------

// Fixed origin 46.952405555° N 7.439583333° E, FE 600000, FN 200000. Only
// for 40 ≤ lat ≤ 50 and 5 ≤ lon ≤ 20: outside, zeros and kProjErrOutOfRange.
// The inverse iteration (6 rounds to 1e-10) gives zeros when it fails.
int SwissGridForward(double lat, double lon, double& easting, double& northing,
                     const Ellipsoid& ell);
int SwissGridInverse(double easting, double northing, double& lat, double& lon,
                     const Ellipsoid& ell);

// --- New Zealand Map Grid (nzmg.cpp) ----------------------------------------

// Fixed: origin 41° S 173° E, a = 6378388, FE 2510000, FN 6023150; no datum
// (the polynomial belongs to the International 1924 ellipsoid of NZGD49).
// The inverse Newton iteration (20 rounds to 1e-10) gives zeros when it fails.
int NzmgForward(double lat, double lon, double& easting, double& northing);
int NzmgInverse(double easting, double northing, double& lat, double& lon);

}  // namespace mw
