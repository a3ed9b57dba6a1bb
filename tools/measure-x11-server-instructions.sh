#!/bin/bash
# The X server's work for walkers and for xpenguins, counted in instructions
# rather than CPU time: the same desktop as tools/measure-x11-cpu.sh (Xvfb
# at 1920x1080, openbox, one window in front), with Xvfb run under
# callgrind, which counts what the server executes while each program runs
# for MEASURE_SECONDS (default 10). The count does not depend on how fast
# the machine runs, only on what the server is asked: two builds measured
# the same way on a quiet machine differ by a few per cent where CPU time on
# a shared one varies by more. Under load the server takes its clients'
# requests in other batches, and xpenguins' penguins do other things as
# time goes on, so compare runs made alike. It says nothing of cache misses
# or system calls: the CPU script stays the judge.
#
#   tools/measure-x11-server-instructions.sh [path/to/walkers]
#
# valgrind, xpenguins and the desktop's programs are installed if missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/measure-common.sh"
walkers=$(realpath "${1:-$root/build-release/app/walkers}")
seconds=${MEASURE_SECONDS:-10}
[ -x "$walkers" ] || { echo "measure: $walkers is missing" >&2; exit 1; }

missing=""
measure_install valgrind xpenguins xvfb openbox xdotool x11-apps x11-utils

measure_workspace walkers-instructions

# Starts the desktop with the server under callgrind (counting off), runs
# the program, counts the server's instructions over `seconds` and prints
# them divided by the ticks (walkers' own count) or frames (20 a second).
count() { # name command...
    local name=$1 file="$work/display.$1"
    shift
    valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$work/$name.out" \
        Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp -noreset 5>"$file" >/dev/null 2>&1 &
    local server=$!
    pids+=($server)
    for _ in $(seq 600); do [ -s "$file" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n1 "$file")
    measure_desktop_apps 300
    sleep 1
    WALKERS_X11_STATS=1 "$@" 2>"$work/$name.log" &
    local program=$!
    pids+=($program)
    sleep 4
    callgrind_control -i on "$server" >/dev/null 2>&1
    [ "$name" = walkers ] && kill -USR1 "$program" # its counters, printed
    sleep "$seconds"
    [ "$name" = walkers ] && kill -USR1 "$program"
    sleep 0.3
    kill "$program"; wait "$program" 2>/dev/null || true
    sleep 2 # the server finishes what was sent
    callgrind_control -d "$server" >/dev/null 2>&1
    sleep 1
    local instructions ticks
    instructions=$(callgrind_annotate "$work/$name.out.1" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
    ticks=$( (grep 'walkers stats:' "$work/$name.log" || true) | sed 's/.*ticks \([0-9]*\).*/\1/' |
        sed -n '1p;$p' | awk 'NR == 1 { a = $1 } NR == 2 { print $1 - a }')
    [ -n "$ticks" ] && [ "$ticks" -gt 0 ] || ticks=$((20 * seconds))
    echo "$name: $((instructions / ticks)) server instructions a tick ($instructions in $ticks ticks)"
    measure_end_processes
}

count walkers "$walkers"
count xpenguins xpenguins -q -t Big_Penguins -n 9 -m 50
