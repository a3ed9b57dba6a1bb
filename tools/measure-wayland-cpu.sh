#!/bin/bash
# What walkers costs on Wayland: on a headless sway (1920x1080, software
# rendering) with one floating window in front, walkers runs for
# MEASURE_SECONDS (default 30) and the script reports:
#   - the ticks per second, and the CPU of walkers and of sway meanwhile
#     (/proc/PID/task/*/schedstat), as a share of a core and per tick;
#   - per tick, the IPC that follows the focused window (walkers' own
#     counters, WALKERS_WAYLAND_STATS, read with SIGUSR1 at the start and the
#     end of the window): the tree requests, the bytes of the replies, the
#     time from asking to having the whole answer (sway's time, not walkers'
#     work: walkers does not wait for it), and walkers' own time reading and
#     parsing it;
#   - the same with each count of EXTRA_WINDOWS (default "20 50") more
#     windows on another workspace, then tiled under the measured one, to
#     show what a bigger tree costs;
#   - with WALKERS_BEFORE set to another build's walkers, that one too, right
#     before this one in each case, so that a change is measured on the same
#     desktop under the same load.
# sway refuses to run as root: as root it runs as the user walkers-sway,
# created if missing.
#
#   tools/measure-wayland-cpu.sh [path/to/walkers [path/to/wayland_test_window]]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/measure-common.sh"
walkers=$(realpath "${1:-$root/build-release/app/walkers}")
window=$(realpath "${2:-$(dirname "$walkers")/../tests/wayland/wayland_test_window}")
seconds=${MEASURE_SECONDS:-30}
extra=${EXTRA_WINDOWS:-20 50}
before_walkers=${WALKERS_BEFORE:+$(realpath "$WALKERS_BEFORE")}
warmup=3
for program in "$walkers" "$window"; do
    [ -x "$program" ] || { echo "measure: $program is missing (build the release tree)" >&2; exit 1; }
done

measure_workspace walkers-wayland-measure

# Time on a processor in nanoseconds, all threads: finer than the clock
# ticks of /proc/PID/stat, which would round a tick's cost to 500 us.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f\n", sum }'; }

run_as=()
if [ "$(id -u)" = 0 ]; then
    id walkers-sway >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin walkers-sway
    chown walkers-sway "$work"
    run_as=(setpriv --reuid="$(id -u walkers-sway)" --regid="$(id -g walkers-sway)" --clear-groups)
fi
chmod 700 "$work"
cat >"$work/config" <<CONFIG
xwayland disable
output HEADLESS-1 resolution 1920x1080 bg #304860 solid_color
default_border normal
default_floating_border normal
CONFIG
chmod 644 "$work/config"
env -u WAYLAND_DISPLAY -u DISPLAY -u SWAYSOCK XDG_RUNTIME_DIR="$work" HOME="$work" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${run_as[@]}" sway -c "$work/config" >"$work/sway.log" 2>&1 &
sway_pid=$!
pids+=($sway_pid)
for _ in $(seq 100); do
    ls "$work"/sway-ipc.*.sock >/dev/null 2>&1 && ls "$work"/wayland-? >/dev/null 2>&1 && break
    sleep 0.1
done
export XDG_RUNTIME_DIR=$work
export WAYLAND_DISPLAY=$(basename "$(ls "$work"/wayland-? | head -n1)")
export SWAYSOCK=$(ls "$work"/sway-ipc.*.sock | head -n1)
unset DISPLAY
sleep 1

open_window() { # title colour
    "$window" "$1" "$2" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do swaymsg -t get_tree | grep -q "\"name\": \"$1\"" && break; sleep 0.1; done
}

# Counters of the last SIGUSR1 report in walkers' log; 0 for a counter an
# older walkers does not print.
stats() { grep 'walkers stats' "$work/walkers.log" | tail -n1; }
field() { local value; value=$(sed -n "s/.* $1 \([0-9]*\).*/\1/p" <<<"$2"); echo "${value:-0}"; }
delta() { echo $(( $(field "$1" "$3") - $(field "$1" "$2") )); }

measure() { # label [walkers]
    local label=$1 program=${2:-$walkers}
    WALKERS_WAYLAND_STATS=1 "$program" >"$work/walkers.log" 2>&1 &
    local walkers_pid=$!
    pids+=($walkers_pid)
    sleep "$warmup"
    kill -USR1 "$walkers_pid"; sleep 0.2
    local before; before=$(stats)
    local w0 s0 t0; w0=$(cpu_ns "$walkers_pid"); s0=$(cpu_ns "$sway_pid"); t0=$(date +%s%N)
    sleep "$seconds"
    kill -USR1 "$walkers_pid"
    local w1 s1 t1; w1=$(cpu_ns "$walkers_pid"); s1=$(cpu_ns "$sway_pid"); t1=$(date +%s%N)
    sleep 0.2
    local after; after=$(stats)
    kill "$walkers_pid"; wait "$walkers_pid" 2>/dev/null || true
    local ticks; ticks=$(delta ticks "$before" "$after")
    echo "$label:"
    awk -v t="$ticks" -v ns=$((t1 - t0)) -v w=$((w1 - w0)) -v s=$((s1 - s0)) \
        -v r="$(delta requests "$before" "$after")" -v b="$(delta reply_bytes "$before" "$after")" \
        -v wait="$(delta reply_wait_us "$before" "$after")" \
        -v read="$(delta tree_read_us "$before" "$after")" \
        -v skipped="$(delta refreshes_skipped "$before" "$after")" 'BEGIN {
        seconds = ns / 1e9
        if (t == 0) t = 1
        printf "  %.2f ticks per second over %.0f s\n", t / seconds, seconds
        printf "  walkers CPU %.2f%% (%.0f us per tick), sway CPU %.2f%% (%.0f us per tick)\n",
               100 * w / 1e9 / seconds, w / 1e3 / t, 100 * s / 1e9 / seconds, s / 1e3 / t
        printf "  whole desktop (walkers and sway) %.0f us per tick\n", (w + s) / 1e3 / t
        printf "  IPC per tick: %.2f tree requests, %.0f bytes read, %.0f us from asking to the whole answer,\n", r / t, b / t, wait / t
        printf "                %.0f us reading and parsing it in walkers; %.2f ticks asked nothing (answer pending)\n", read / t, skipped / t }'
}

# Both builds in turn when there are two: the older first.
measure_both() { # label
    [ -z "$before_walkers" ] || measure "$1, before" "$before_walkers"
    measure "$1"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
open_window "measured window" 8FBF8F
swaymsg 'floating enable, resize set 900 500, move absolute position 500 300' >/dev/null
measure_both "one window"

opened=0
for count in $extra; do
    while [ "$opened" -lt "$count" ]; do
        opened=$((opened + 1))
        open_window "other window $opened" C0C0E0
        swaymsg "[title=\"other window $opened\"] move container to workspace 2" >/dev/null
    done
    swaymsg '[title="^other window"] move container to workspace 2' >/dev/null
    swaymsg '[title="measured window"] focus' >/dev/null
    measure_both "with $count more windows on another workspace"

    # The same windows tiled under the measured one: its node now comes
    # after theirs in the tree, and sway draws them under the figures.
    swaymsg '[title="^other window"] move container to workspace 1' >/dev/null
    swaymsg '[title="measured window"] focus' >/dev/null
    measure_both "with $count more windows tiled under it"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
