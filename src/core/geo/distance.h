// Distance and initial bearing on a spherical earth, and the point-in-border
// test of the map catalogue. No datum is involved: a sphere of radius
// 3437.7467747131377 nautical miles stands for the earth, which puts the
// distances within about 0.5 % of the ellipsoidal ones.
#pragma once

namespace mw {

inline constexpr double kEarthRadiusNm = 3437.7467747131377;
inline constexpr double kMetresPerNm = 1852.0;
inline constexpr double kFeetPerNm = 6076.115486;

// Great-circle (haversine) distance in nautical miles between two positions
// in degrees. Two exactly equal positions, or four coordinates that sum to
// exactly 0.0 (positions never set), give 0.
double DistanceNm(double lat1, double lon1, double lat2, double lon2);
// DistanceNm × 1852.
double DistanceMetres(double lat1, double lon1, double lat2, double lon2);
// Metres when `distanceUnit` (the "Distance Unit" setting) is 0 (kilometres),
// feet otherwise (miles and nautical miles).
double DistanceShortUnit(double lat1, double lon1, double lat2, double lon2, int distanceUnit);

// Initial great-circle bearing from point 1 towards point 2, degrees true in
// [0, 360). Same zero guards as DistanceNm. A westward bearing is computed
// with the full circle taken as 6.2831853 rad, so due west reads
// 269.9999995886 rather than 270.
double InitialBearing(double lat1, double lon1, double lat2, double lon2);

// Whether (lat, lon) lies inside the polygon of `count` border points
// (crossing-number test in the plane of longitude and latitude, no special
// case for the 180° meridian). A polygon of no points, or null arrays,
// contains nothing.
bool PointInBorder(int count, double lon, double lat, const double* borderLat,
                   const double* borderLon);

}  // namespace mw
