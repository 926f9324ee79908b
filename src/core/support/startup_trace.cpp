#include "support/startup_trace.h"

#include <link.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mw {

namespace {

double Seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// When the process began, on the boot-time clock: the kernel keeps it in
// clock ticks (field 22 of /proc/self/stat), so the time before main (the
// loader, the libraries' constructors) is seen too, to a tick's precision.
// Without it the first step is the start.
double ProcessStart() {
    std::FILE* f = std::fopen("/proc/self/stat", "r");
    if (f == nullptr) return Seconds(CLOCK_BOOTTIME);
    char line[1024] = {};
    const std::size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    line[n] = '\0';
    // The command name in parentheses may hold blanks: count from its end.
    const char* p = std::strrchr(line, ')');
    unsigned long long ticks = 0;
    int field = 2;
    for (; p != nullptr && *p != '\0' && field < 22; ++p)
        if (*p == ' ') ++field;
    if (p == nullptr || std::sscanf(p, "%llu", &ticks) != 1) return Seconds(CLOCK_BOOTTIME);
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool ListLibraries() {
    static const bool on = [] {
        const char* v = std::getenv("MW_TRACE_STARTUP");
        return v != nullptr && std::strcmp(v, "libraries") == 0;
    }();
    return on;
}

}  // namespace

void TraceLoadedLibraries() {
    if (!ListLibraries()) return;
    int count = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* counter) {
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
                std::fprintf(stderr, "mapwanderer: loaded %s\n", info->dlpi_name);
                ++*static_cast<int*>(counter);
            }
            return 0;
        },
        &count);
    std::fprintf(stderr, "mapwanderer: %d shared objects loaded\n", count);
}

bool StartupTraceOn() {
    static const bool on = [] {
        const char* v = std::getenv("MW_TRACE_STARTUP");
        return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
    }();
    return on;
}

void TraceStartup(const char* step) {
    if (!StartupTraceOn()) return;
    static const double start = ProcessStart();
    static double previous = start;
    const double now = Seconds(CLOCK_BOOTTIME);
    std::fprintf(stderr, "mapwanderer: startup %8.1f ms (+%7.1f) %s\n", (now - start) * 1e3,
                 (now - previous) * 1e3, step);
    previous = now;
}

}  // namespace mw
