#!/usr/bin/env bash
# The two ends of a test run (cmake/TestIsolation.cmake):
#   home_guard.sh snapshot ROOT LIST CONFIGURE_HOME
#     makes a fresh ROOT/<name>/{home/.config,run,tmp} for each name in LIST
#     and records the program's folders in the real homes;
#   home_guard.sh check ROOT LIST CONFIGURE_HOME
#     fails when those folders differ from the record.
# The real homes are the HOME this script runs with (ctest's own, never a
# test's) and the one the build was configured with.
set -euo pipefail
mode=$1 root=$2 list=$3 configured=${4:-}
record=$root/real-home.txt

# The folders the program writes to by default: the application home and
# the data and map folders; and the file where Qt's file dialogs keep their
# state, which any Qt test showing one writes to the home it is given.
guarded_folders() {
    local h
    for h in "${HOME:-}" "$configured"; do
        [ -n "$h" ] || continue
        echo "$h/Mapwanderer"
        echo "$h/.config/mapwanderer"
        echo "$h/.config/QtProject.conf"
    done
    if [ -n "${XDG_CONFIG_HOME:-}" ]; then
        echo "$XDG_CONFIG_HOME/mapwanderer"
        echo "$XDG_CONFIG_HOME/QtProject.conf"
    fi
    return 0
}

# Each folder's entries with type, size, mode and modification time; a
# path that does not exist is listed as absent.
listing() {
    local f
    guarded_folders | sort -u | while IFS= read -r f; do
        if [ -e "$f" ]; then
            find "$f" -printf '%p\t%y\t%s\t%m\t%T@\n' | sort
        else
            printf '%s\tabsent\n' "$f"
        fi
    done
}

case $mode in
snapshot)
    rm -rf "$root"
    mkdir -p "$root"
    while IFS= read -r name; do
        [ -n "$name" ] || continue
        mkdir -p "$root/$name/home/.config" "$root/$name/tmp" "$root/$name/run"
        chmod 700 "$root/$name/run"
    done < "$list"
    listing > "$record"
    echo "guarding: $(guarded_folders | sort -u | tr '\n' ' ')"
    ;;
check)
    [ -f "$record" ] || { echo "no record of the real home: home.snapshot did not run"; exit 1; }
    if ! diff -u "$record" <(listing); then
        echo "FAIL: the real home changed while the tests ran (lines above: - before, + after)."
        echo "A test or a program it started wrote outside its own HOME; or another program"
        echo "of this user changed these folders meanwhile."
        exit 1
    fi
    echo "the real home is unchanged"
    ;;
*)
    echo "usage: home_guard.sh snapshot|check ROOT LIST CONFIGURE_HOME" >&2
    exit 2
    ;;
esac
