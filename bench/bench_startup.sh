#!/bin/bash
# Start-up to the first painted map frame, against a minimal Qt Widgets
# program (one window, quits after its first paint) in the same run, both
# on the same display (Qt's offscreen platform, or Xvfb with --xvfb).
#
# The program starts on the synthetic demo maps (`mwtool demo --synthetic`:
# its home loads the last map) with MW_TRACE_STARTUP=1, whose trace times
# each step from the process's start; the trace of the median run is shown.
# Both times count from the kernel's start of the process, to a clock tick.
#
# With --against OTHER, another build of the program (an older one, say)
# starts in each run too, so a change is measured in the same conditions.
# With --maps FOLDER the folder (bench/make_catalogue.sh makes one of
# 100,000 maps) is a second active map folder; one start before the timed
# runs leaves the catalogue index a search before the first frame would
# write, as a user's first start would.
#
# Usage: bench/bench_startup.sh MAPWANDERER MWTOOL [RUNS] [--xvfb] [--against OTHER] [--maps FOLDER]
set -u
usage="usage: bench_startup.sh MAPWANDERER MWTOOL [RUNS] [--xvfb] [--against OTHER] [--maps FOLDER]"
program=${1:?$usage}
tool=${2:?$usage}
shift 2
runs=5 xvfb= other= maps=
while [ $# -gt 0 ]; do
    case $1 in
        --xvfb) xvfb=--xvfb ;;
        --against) other=${2:?$usage}; shift ;;
        --maps) maps=${2:?$usage}; shift ;;
        *[!0-9]* | '') echo "$usage"; exit 2 ;;
        *) runs=$1 ;;
    esac
    shift
done
dir=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT

export HOME=$dir/home XDG_CONFIG_HOME=$dir/demo/config XDG_RUNTIME_DIR=$dir/run \
    XDG_CACHE_HOME=$dir/cache
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$tool" demo "$dir/demo" --synthetic --quiet --home "$XDG_CONFIG_HOME/mapwanderer" >/dev/null ||
    { echo "mwtool demo failed"; exit 1; }

if [ "$xvfb" = --xvfb ]; then
    command -v Xvfb >/dev/null || { echo "Xvfb is not installed"; exit 77; }
    Xvfb :97 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null &
    xvfb_pid=$!
    export DISPLAY=:97 QT_QPA_PLATFORM=xcb
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
else
    export QT_QPA_PLATFORM=offscreen
fi

# The peer: the least a Qt Widgets program does before its first frame.
cat > "$dir/peer.cpp" <<'EOF'
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <time.h>
#include <unistd.h>
static double StartedMsAgo() {
    char line[1024] = {};
    FILE* f = std::fopen("/proc/self/stat", "r");
    size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    line[n] = 0;
    const char* p = std::strrchr(line, ')');
    for (int field = 2; *p && field < 22; ++p) if (*p == ' ') ++field;
    unsigned long long ticks = 0;
    std::sscanf(p, "%llu", &ticks);
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return (t.tv_sec + t.tv_nsec * 1e-9 - double(ticks) / sysconf(_SC_CLK_TCK)) * 1e3;
}
struct W : QWidget {
    bool done = false;
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Qt::darkGreen);
        if (!done) QTimer::singleShot(0, [] {
            std::printf("%.1f\n", StartedMsAgo());
            QApplication::quit();
        });
        done = true;
    }
};
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    W w;
    w.resize(800, 600);
    w.show();
    return app.exec();
}
EOF
c++ -O2 -fPIC -std=c++17 "$dir/peer.cpp" -o "$dir/peer" $(pkg-config --cflags --libs Qt6Widgets) ||
    { echo "cannot build the minimal Qt program (Qt 6 development files)"; exit 77; }

# One start of the program: the trace to $dir/trace.N, the ms of its first frame printed.
start_program() {
    local n=$1 pid t exe=${2:-$program}
    MW_TRACE_STARTUP=1 "$exe" 2> "$dir/trace.$n" &
    pid=$!
    for _ in $(seq 600); do
        grep -q "first map frame painted" "$dir/trace.$n" && break
        sleep 0.05
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    t=$(awk '/first map frame painted/ { print $3 }' "$dir/trace.$n")
    echo "${t:-NaN}"
}

if [ -n "$maps" ]; then
    [ -d "$maps" ] || { echo "no folder $maps"; exit 2; }
    ini=$XDG_CONFIG_HOME/mapwanderer/Mapwanderer1.ini
    # The second map folder: the demo's own maps stay the first.
    sed -i "s|^Map Path 2,.*|Map Path 2,$maps\r|; s|^Map Path 2 Active,.*|Map Path 2 Active,1\r|" "$ini"
    grep -q "^Map Path 2,$maps" "$ini" || { echo "cannot set Map Path 2 in $ini"; exit 1; }
    echo "map folder 2: $(find "$maps" -maxdepth 1 -name '*.map' | wc -l) maps; first start: $(start_program index) ms"
    [ -s "$XDG_CACHE_HOME/mapwanderer/catalogue.index" ] && echo "catalogue index written" ||
        echo "no catalogue index written: no map search before the first frame"
    [ -n "$other" ] && start_program other.index "$other" >/dev/null
fi
echo "load average before: $(cut -d ' ' -f 1-3 /proc/loadavg), $(nproc) cores, platform $QT_QPA_PLATFORM"
for r in $(seq "$runs"); do
    ours=$(start_program "$r")
    peer=$("$dir/peer" 2>/dev/null)
    theirs=NaN
    [ -n "$other" ] && theirs=$(start_program "other.$r" "$other")
    echo "$r $ours $peer $theirs" >> "$dir/times"
    printf "run %d: mapwanderer %7.1f ms to its first map frame, minimal Qt program %7.1f ms" \
        "$r" "$ours" "$peer"
    [ -n "$other" ] && printf ", other build %7.1f ms" "$theirs"
    printf " (load %s)\n" "$(cut -d ' ' -f 1 /proc/loadavg)"
done
echo "load average after:  $(cut -d ' ' -f 1-3 /proc/loadavg)"
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
m_ours=$(awk '{ print $2 }' "$dir/times" | median)
m_peer=$(awk '{ print $3 }' "$dir/times" | median)
printf "median of %d runs: mapwanderer %.1f ms, minimal Qt program %.1f ms (%s x)\n" \
    "$runs" "$m_ours" "$m_peer" "$(ratio "$m_ours" "$m_peer")"
if [ -n "$other" ]; then
    m_other=$(awk '{ print $4 }' "$dir/times" | median)
    printf "median of %d runs: other build %.1f ms (%s x the minimal Qt program)\n" \
        "$runs" "$m_other" "$(ratio "$m_other" "$m_peer")"
fi
median_run=$(awk -v m="$m_ours" '$2 == m { print $1; exit }' "$dir/times")
echo "trace of run $median_run:"
cat "$dir/trace.$median_run"
if [ -n "$other" ]; then
    other_run=$(awk -v m="$m_other" '$4 == m { print $1; exit }' "$dir/times")
    echo "trace of the other build, run $other_run:"
    cat "$dir/trace.other.$other_run"
fi
