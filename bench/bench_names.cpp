// The name search on a gazetteer of a million places (75-byte records, sorted
// by name), against a plain substring scan of the same mapped file:
//   build/bench/bench_names --benchmark_min_time=1
// The anywhere search reports its time as a ratio to the plain scan measured
// in the same iterations ("vs_plain_scan").
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "names/name_filter.h"
#include "names/names_file.h"

namespace {

constexpr int kRecords = 1000000;
constexpr const char* kNoMatch = "QXZJWV";

std::string Syllables(std::mt19937& rng, int count) {
    static const char* parts[] = {"ber", "lin", "ham", "burg", "dorf", "stein", "bach", "au",
                                  "wald", "feld", "kirch", "en",  "heim", "tal",  "berg", "see"};
    std::string s;
    for (int i = 0; i < count; ++i) s += parts[rng() % 16];
    s[0] = static_cast<char>(s[0] - 0x20);
    return s;
}

void Put(std::string& out, const std::string& text, std::size_t width) {
    std::string v = text.substr(0, width);
    v.resize(width, ' ');
    out += v;
}

// A sorted gazetteer in the temporary folder, written once per run.
const std::string& GazetteerPath() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_names.names";
        std::mt19937 rng(42);
        std::vector<std::string> names(kRecords);
        for (int i = 0; i < kRecords; ++i)
            names[i] = Syllables(rng, 2 + rng() % 3) + " " + std::to_string(rng() % 1000);
        std::sort(names.begin(), names.end());
        const struct { const char* name; int len; } fields[] = {
            {"NAME", 40}, {"FULL_CODE", 6}, {"LATITUDE", 14}, {"LONGITUDE", 14}};
        std::string out(32, '\0');
        out[0] = 3;
        const int hl = 32 + 32 * 4 + 1, rl = 75;
        std::memcpy(&out[4], &kRecords, 4);
        out[8] = static_cast<char>(hl & 0xFF);
        out[9] = static_cast<char>(hl >> 8);
        out[10] = rl;
        for (const auto& f : fields) {
            std::string d(32, '\0');
            std::memcpy(&d[0], f.name, std::strlen(f.name));
            d[11] = 'C';
            d[16] = static_cast<char>(f.len);
            out += d;
        }
        out += '\x0D';
        out.reserve(out.size() + std::size_t(kRecords) * rl + 1);
        const char* codes[] = {"PPL", "PPLA", "MT", "STM", "LK"};
        for (int i = 0; i < kRecords; ++i) {
            out += ' ';
            Put(out, names[i], 40);
            Put(out, codes[rng() % 5], 6);
            Put(out, std::to_string(47.0 + (rng() % 800000) / 100000.0), 14);
            Put(out, std::to_string(6.0 + (rng() % 900000) / 100000.0), 14);
        }
        out += '\x1A';
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(out.data(), 1, out.size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

std::shared_ptr<const mw::NamesFile> OpenGazetteer() {
    mw::NamesOpenError error;
    return mw::NamesFile::Open(GazetteerPath(), error);
}

// The anchor: one memmem over the whole mapped file.
struct Mapped {
    Mapped() {
        int fd = open(GazetteerPath().c_str(), O_RDONLY);
        struct stat st {};
        fstat(fd, &st);
        size = static_cast<std::size_t>(st.st_size);
        data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        close(fd);
    }
    ~Mapped() { munmap(data, size); }
    void* data;
    std::size_t size;
};

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void BM_PlainScan(benchmark::State& state) {
    Mapped m;
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(m.data, m.size, kNoMatch, std::strlen(kNoMatch)));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * m.size);
}
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMillisecond);

void BM_AnywhereNoMatch(benchmark::State& state) {
    auto file = OpenGazetteer();
    Mapped m;
    mw::NameQuery q;
    q.text = kNoMatch;
    q.prefix = false;
    double search = 0, scan = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(mw::FilterNames(file, q));
        auto t1 = std::chrono::steady_clock::now();
        state.PauseTiming();
        benchmark::DoNotOptimize(memmem(m.data, m.size, kNoMatch, std::strlen(kNoMatch)));
        auto t2 = std::chrono::steady_clock::now();
        state.ResumeTiming();
        search += Seconds(t0, t1);
        scan += Seconds(t1, t2);
    }
    state.counters["vs_plain_scan"] = search / scan;
}
BENCHMARK(BM_AnywhereNoMatch)->Unit(benchmark::kMillisecond);

void BM_AnywhereWithCode(benchmark::State& state) {
    auto file = OpenGazetteer();
    mw::NameQuery q;
    q.text = "STEINSEE";
    q.code = "MT";
    q.prefix = false;
    std::size_t found = 0;
    for (auto _ : state) found = mw::FilterNames(file, q).size();
    state.counters["matches"] = static_cast<double>(found);
}
BENCHMARK(BM_AnywhereWithCode)->Unit(benchmark::kMillisecond);

void BM_PrefixSearch(benchmark::State& state) {
    auto file = OpenGazetteer();
    mw::NameQuery q;
    q.text = mw::UpperName(file->Read(kRecords / 2 + 123).name.substr(0, 9));
    std::size_t found = 0;
    for (auto _ : state) found = mw::FilterNames(file, q).size();
    state.counters["matches"] = static_cast<double>(found);
}
BENCHMARK(BM_PrefixSearch)->Unit(benchmark::kMicrosecond);

// Opening the file and reading the rows a list shows first.
void BM_OpenAndFirstRows(benchmark::State& state) {
    GazetteerPath();
    for (auto _ : state) {
        mw::NameRecordReader reader(OpenGazetteer());
        for (std::uint32_t r = 0; r < 20; ++r) benchmark::DoNotOptimize(reader.Read(r));
    }
}
BENCHMARK(BM_OpenAndFirstRows)->Unit(benchmark::kMicrosecond);

// From Stop() to the worker having finished, on a search that would run on.
void BM_StopLatency(benchmark::State& state) {
    auto file = OpenGazetteer();
    mw::NameQuery q;
    q.text = kNoMatch;
    q.prefix = false;
    double worst = 0;
    for (auto _ : state) {
        mw::NameFilterJob job(file, q);
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        state.ResumeTiming();
        auto t0 = std::chrono::steady_clock::now();
        job.Stop();
        while (!job.Finished()) std::this_thread::yield();
        worst = std::max(worst, Seconds(t0, std::chrono::steady_clock::now()));
    }
    state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(BM_StopLatency)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
