#!/bin/bash
# Runs every fuzz target of a build one after another for SECONDS each, from
# the generated seeds plus what earlier runs found, and prints executions per
# target. Exits non-zero when any target found a crash, a hang or a leak; the
# reproducer is left in BUILD/fuzz/artifacts/<target>/.
#
#   fuzz/run.sh BUILD SECONDS [TARGET...]
set -u
build=$1
seconds=$2
shift 2
src=$(cd "$(dirname "$0")" && pwd)
dir=$build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets <"$dir/targets.txt"
fi
export TMPDIR=${TMPDIR:-/tmp}
failed=()
start=$(date +%s)
printf '%-20s %10s %12s %8s\n' target seconds executions exec/s
for t in "${targets[@]}"; do
    work=$dir/work/$t
    art=$dir/artifacts/$t
    mkdir -p "$work" "$art"
    args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          -artifact_prefix="$art/")
    [ -f "$src/dict/$t.dict" ] && args+=(-dict="$src/dict/$t.dict")
    seeds=()
    [ -d "$dir/seeds/$t" ] && seeds+=("$dir/seeds/$t")
    log=$dir/logs/$t.log
    mkdir -p "$dir/logs"
    t0=$(date +%s)
    "$dir/$t" "${args[@]}" "$work" "${seeds[@]}" >"$log" 2>&1
    rc=$?
    t1=$(date +%s)
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    printf '%-20s %10s %12s %8s\n' "$t" $((t1 - t0)) "${execs:-?}" "${rate:-?}"
    if [ $rc -ne 0 ]; then
        failed+=("$t")
        grep -E '^==[0-9]+==ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -5 | sed 's/^/    /'
    fi
done
echo "total $(( $(date +%s) - start )) s"
if [ ${#failed[@]} -ne 0 ]; then
    echo "FAILED: ${failed[*]} (logs in $dir/logs)"
    exit 1
fi
