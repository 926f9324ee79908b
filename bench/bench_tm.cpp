// Transverse Mercator throughput: TmForward, the UTM grid reference and the
// projection dispatch for a UTM map, in points per second, and, when PROJ's
// library is installed, PROJ's approximate tmerc on the same points in the
// same run for comparison (items_per_second of each line).
//
//   build-*/bench/bench_tm --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "geo/datums.h"
#include "geo/grid_refs.h"
#include "geo/transverse_mercator.h"
#include "proj/projection.h"

#if defined(MW_BENCH_WITH_PROJ) && __has_include(<proj.h>)
#include <proj.h>
#define MW_HAVE_PROJ 1
#endif

namespace {

constexpr double kCentralMeridian = 9.0;

struct Point {
    double lat, lon;
};

// Points spread over one UTM zone, from the equator to 70° N.
const std::vector<Point>& Points() {
    static const std::vector<Point> points = [] {
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> lat(0, 70), lon(6, 12);
        std::vector<Point> v(4096);
        for (Point& p : v) p = {lat(rng), lon(rng)};
        return v;
    }();
    return points;
}

void BM_TmForward(benchmark::State& state) {
    const mw::DatumTable datums;
    const auto& pts = Points();
    for (auto _ : state) {
        for (const Point& p : pts) {
            double e, n;
            // The ellipsoid is taken from the datum on every call, as the
            // projections do.
            mw::TmForward(p.lat, p.lon, 0.0, kCentralMeridian, 0.9996, e, n, datums,
                          mw::kDatumWgs84);
            benchmark::DoNotOptimize(e);
            benchmark::DoNotOptimize(n);
        }
    }
    state.SetItemsProcessed(state.iterations() * pts.size());
}
BENCHMARK(BM_TmForward);

void BM_LatLonToUtm(benchmark::State& state) {
    const mw::DatumTable datums;
    const auto& pts = Points();
    for (auto _ : state) {
        for (const Point& p : pts) {
            mw::GridReference r = mw::LatLonToUtm(p.lat, p.lon, datums, mw::kDatumWgs84);
            benchmark::DoNotOptimize(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * pts.size());
}
BENCHMARK(BM_LatLonToUtm);

void BM_ProjectForwardUtmMap(benchmark::State& state) {
    const mw::DatumTable datums;
    mw::ProjectionState map;
    map.projectionName = "(UTM) Universal Transverse Mercator";
    map.utmCentralMeridian = kCentralMeridian;
    const int id = mw::ProjectionIdFromName(map.projectionName);
    const auto& pts = Points();
    for (auto _ : state) {
        for (const Point& p : pts) {
            mw::ProjectedPoint r = mw::ProjectForward(id, map, datums, p.lat, p.lon);
            benchmark::DoNotOptimize(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * pts.size());
}
BENCHMARK(BM_ProjectForwardUtmMap);

#ifdef MW_HAVE_PROJ
// PROJ's Snyder-series Transverse Mercator ("+approx"), one point a call as
// the program converts them; input in radians as PROJ's bare operations take.
void BM_ProjTmercApprox(benchmark::State& state) {
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* pj = proj_create(ctx, "+proj=tmerc +approx +lat_0=0 +lon_0=9 +k=0.9996 +ellps=WGS84");
    if (pj == nullptr) {
        state.SkipWithError("proj_create failed");
        proj_context_destroy(ctx);
        return;
    }
    const auto& pts = Points();
    std::vector<PJ_COORD> in(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i)
        in[i] = proj_coord(proj_torad(pts[i].lon), proj_torad(pts[i].lat), 0, 0);
    for (auto _ : state) {
        for (const PJ_COORD& c : in) {
            PJ_COORD out = proj_trans(pj, PJ_FWD, c);
            benchmark::DoNotOptimize(out);
        }
    }
    state.SetItemsProcessed(state.iterations() * pts.size());
    proj_destroy(pj);
    proj_context_destroy(ctx);
}
BENCHMARK(BM_ProjTmercApprox);
#else
// The comparison must not vanish without a word when PROJ is missing.
void BM_ProjTmercApprox(benchmark::State& state) {
    for (auto _ : state) {
    }
    state.SkipWithError("built without PROJ (install libproj-dev and configure again)");
}
BENCHMARK(BM_ProjTmercApprox);
#endif

}  // namespace

BENCHMARK_MAIN();
