#!/usr/bin/env bash
# SIGTERM ends the program within a second, saving what it can: with room
# the view file is written and the exit is clean; on a full disk (a file
# size limit, SIGXFSZ ignored) the failed save is said on the standard error
# and nothing waits for anyone. Runs the program without a display.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
gui=$(dirname "$tool")/../ui/mapwanderer
[ -x "$gui" ] || skip "the program is not built here"
export HOME=$dir/userhome XDG_CONFIG_HOME=$dir/config XDG_RUNTIME_DIR=$dir/run
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
home=$XDG_CONFIG_HOME/mapwanderer

# terminate_after SECONDS COMMAND...: starts the command, sends SIGTERM after
# SECONDS; $rc the exit status, $took the milliseconds from signal to end.
terminate_after() {
    local wait=$1
    shift
    # Through pipes: under a file size limit the program could not write
    # a file of its own output either.
    "$@" > >(cat > "$dir/out.txt") 2> >(cat > "$dir/err.txt") &
    local pid=$!
    sleep "$wait"
    kill -0 "$pid" 2> /dev/null || fail "the program ended by itself: $(cat "$dir/err.txt")"
    local t0
    t0=$(date +%s%N)
    kill -TERM "$pid"
    # Polled, so a program that hangs is ended here and not by CTest.
    for _ in $(seq 300); do
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.01
    done
    took=$((($(date +%s%N) - t0) / 1000000))
    kill -KILL "$pid" 2> /dev/null || true
    wait "$pid" && rc=0 || rc=$?
    sleep 0.2  # the pipes drain
}

terminate_after 3 "$gui"
same "room: exit" 0 "$rc"
[ "$took" -le 1000 ] || fail "room: ended ${took} ms after the signal"
[ -s "$home/mapwanderer2.ini" ] || fail "room: the view file was not written"

rm -f "$home/mapwanderer2.ini"
terminate_after 3 bash -c 'trap "" XFSZ; ulimit -f 0; exec "$0"' "$gui"
[ "$took" -le 1000 ] || fail "full: ended ${took} ms after the signal"
grep -qxF "mapwanderer: Cannot Save MapwandererCE Ini File: $home/mapwanderer2.ini: File too large" \
    "$dir/err.txt" || fail "full: the failed save not said: $(cat "$dir/err.txt")"
same "full: exit" 0 "$rc"
[ ! -e "$home/mapwanderer2.ini" ] || fail "full: a view file was left"
same "full: temporaries left" "" "$(find "$home" -name '*.tmp-*')"
finish
