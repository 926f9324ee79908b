// Importing a GPX track of 100,000 and 1,000,000 points (each with an
// elevation and a time, as a GPS logger writes them):
//   BM_GpxRead        the streaming reader alone, points counted;
//   BM_GpxImport      the "Import GPX..." path: read, moved to a map datum
//                     other than WGS 84, kept in the track ring
//                     (goal ≥ 2 M points/s);
// with baselines over the same sizes in the same run: reading the GPX
// file's bytes and counting '<' (the floor any reader pays); expat alone in
// its cheapest configuration, without namespace processing and with no text
// handler, only counting elements (the floor of any expat-based reader; the
// second argument is the block size fed to it, the reader's is 256 KiB);
// expat alone in namespace mode with a text handler that does nothing (how
// the reader once used it); and the program's own track file loader on a
// .plt of the same points.
// The "peak_rss_MB" counter is the process's peak resident size after the
// run: it must not grow from the 100,000-point file to the 1,000,000-point
// one (bounded memory).
#include <benchmark/benchmark.h>
#include <expat.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "geo/datums.h"
#include "gpx/gpx_reader.h"
#include "gpx/gpx_transfer.h"
#include "gpx/gpx_writer.h"
#include "support/text.h"
#include "track/track_file.h"

using namespace mw;

namespace {

std::string TempFolder() {
    const char* t = std::getenv("TMPDIR");
    return t && *t ? t : "/tmp";
}

struct Files {
    std::string gpx, plt;
};

// Written once per size, removed at exit.
const Files& FilesFor(int points) {
    static std::map<int, Files> files;
    static struct Cleanup {
        ~Cleanup() {
            for (auto& [n, f] : files) {
                std::remove(f.gpx.c_str());
                std::remove(f.plt.c_str());
            }
        }
    } cleanup;
    auto it = files.find(points);
    if (it != files.end()) return it->second;
    Files f{TempFolder() + "/bench_gpx_" + std::to_string(points) + ".gpx",
            TempFolder() + "/bench_gpx_" + std::to_string(points) + ".plt"};
    GpxWriter writer(f.gpx);
    TextFileWriter plt(f.plt);
    for (const char* line : kTrackFileHeader) plt.WriteLine(line);
    writer.BeginTrack("bench");
    for (int i = 0; i < points; ++i) {
        GpxTrackPoint p;
        p.lat = 54.0 + (i % 100000) * 1e-6;
        p.lon = -3.0 - (i % 77777) * 1e-6;
        p.newSegment = i % 5000 == 0;
        p.eleMetres = 100 + (i % 900) * 0.5;
        p.time = 1700000000 + i;
        writer.AddTrackPoint(p);
        plt.WriteLine(TrackLineForPoint(p));
    }
    writer.Commit();
    plt.Commit();
    return files.emplace(points, f).first->second;
}

double PeakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

struct CountSink : GpxSink {
    long long points = 0;
    void OnTrackPoint(const GpxTrackPoint&) override { ++points; }
};

void Finish(benchmark::State& state, int points) {
    state.SetItemsProcessed(state.iterations() * points);
    state.counters["peak_rss_MB"] = PeakRssMb();
}

void BM_GpxRead(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Files& f = FilesFor(n);
    for (auto _ : state) {
        CountSink sink;
        const GpxReadResult r = ReadGpxFile(f.gpx, sink);
        if (!r.ok || sink.points != n) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(sink.points);
    }
    Finish(state, n);
}

void BM_GpxImport(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Files& f = FilesFor(n);
    const DatumTable datums;
    const int osgb = FindDatumByName(datums, "Ord Srvy Grt Britn");
    WaypointStore waypoints;
    RouteStore routes;
    TrackStore track;
    for (auto _ : state) {
        const GpxImportReport r = ImportGpxFile(f.gpx, waypoints, routes, track, datums, osgb);
        if (!r.read.ok || r.trackPoints != n) state.SkipWithError("import failed");
    }
    Finish(state, n);
}

void BM_BaselineByteScan(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Files& f = FilesFor(n);
    std::string buffer(1 << 18, '\0');
    for (auto _ : state) {
        std::FILE* file = std::fopen(f.gpx.c_str(), "rb");
        long long tags = 0;
        std::size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
            for (std::size_t i = 0; i < got; ++i) tags += buffer[i] == '<';
        std::fclose(file);
        benchmark::DoNotOptimize(tags);
    }
    Finish(state, n);
}

// Feeds the file to `parser` in blocks of `chunk` bytes, in the parser's own
// buffer (no copy), and frees the parser.
void ParseWithExpat(benchmark::State& state, XML_Parser parser, const std::string& path,
                    int chunk) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    for (;;) {
        void* buffer = XML_GetBuffer(parser, chunk);
        const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(chunk), file);
        const bool last = got < static_cast<std::size_t>(chunk);
        if (XML_ParseBuffer(parser, static_cast<int>(got), last) != XML_STATUS_OK)
            state.SkipWithError("expat failed");
        if (last) break;
    }
    std::fclose(file);
    XML_ParserFree(parser);
}

void CountStart(void* d, const XML_Char*, const XML_Char**) { ++*static_cast<long long*>(d); }
void IgnoreEnd(void*, const XML_Char*) {}
void IgnoreText(void*, const XML_Char*, int) {}

void BM_BaselineExpatOnly(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int chunk = static_cast<int>(state.range(1));
    const Files& f = FilesFor(n);
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        long long elements = 0;
        XML_SetUserData(parser, &elements);
        XML_SetElementHandler(parser, &CountStart, &IgnoreEnd);
        ParseWithExpat(state, parser, f.gpx, chunk);
        benchmark::DoNotOptimize(elements);
    }
    Finish(state, n);
}

void BM_BaselineExpatNamespaces(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Files& f = FilesFor(n);
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreateNS(nullptr, ' ');
        long long elements = 0;
        XML_SetUserData(parser, &elements);
        XML_SetElementHandler(parser, &CountStart, &IgnoreEnd);
        XML_SetCharacterDataHandler(parser, &IgnoreText);
        ParseWithExpat(state, parser, f.gpx, 1 << 18);
        benchmark::DoNotOptimize(elements);
    }
    Finish(state, n);
}

void BM_BaselineTrackFileLoad(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Files& f = FilesFor(n);
    const DatumTable datums;
    const int osgb = FindDatumByName(datums, "Ord Srvy Grt Britn");
    TrackStore track;
    for (auto _ : state) LoadTrackFile(track, f.plt, datums, osgb);
    Finish(state, n);
}

}  // namespace

BENCHMARK(BM_GpxRead)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GpxImport)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineByteScan)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineExpatOnly)
    ->Args({100000, 1 << 18})
    ->Args({1000000, 1 << 16})
    ->Args({1000000, 1 << 18})
    ->Args({1000000, 1 << 20})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineExpatNamespaces)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineTrackFileLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
