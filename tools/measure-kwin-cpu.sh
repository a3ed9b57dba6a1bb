#!/bin/bash
# What walkers costs on KDE Plasma: on a headless KWin (1280x720, its own
# session bus) with one GTK window in front, walkers runs for
# MEASURE_SECONDS (default 30) and the script reports the ticks per second,
# the CPU of walkers and of KWin meanwhile (/proc/PID/task/*/schedstat), as
# a share of a core and per tick, and the session bus traffic per tick: the
# KWin script's reports that walkers took and their bytes (walkers' own
# counters, WALKERS_WAYLAND_STATS, read with SIGUSR1 at the start and the
# end). Nothing moves, so there should be none. Then the same while a KWin
# script moves the window every MOVE_MS (default 200) milliseconds.
#
#   tools/measure-kwin-cpu.sh [path/to/walkers [path/to/gtk_test_window]]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/measure-common.sh"
walkers=$(realpath "${1:-$root/build-release/app/walkers}")
window=$(realpath "${2:-$(dirname "$walkers")/../tests/desktops/gtk_test_window}")
seconds=${MEASURE_SECONDS:-30}
move_ms=${MOVE_MS:-200}
warmup=3
for program in "$walkers" "$window"; do
    [ -x "$program" ] || { echo "measure: $program is missing (build the release tree)" >&2; exit 1; }
done
measure_install kwin-wayland kwin-style-breeze dbus-daemon dbus-bin

measure_workspace walkers-kwin-measure
chmod 700 "$work"
mkdir -p "$work/home"
export XDG_RUNTIME_DIR=$work HOME=$work/home WAYLAND_DISPLAY=walkers-measure XDG_CURRENT_DESKTOP=KDE
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus
unset DISPLAY SWAYSOCK HYPRLAND_INSTANCE_SIGNATURE
dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >"$work/dbus.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$work/bus" ] && break; sleep 0.1; done

# A copy drops the file capability that some sandboxes refuse at exec.
cp /usr/bin/kwin_wayland "$work/kwin_wayland"
env -u WAYLAND_DISPLAY KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
    "$work/kwin_wayland" --virtual --no-lockscreen --no-global-shortcuts --no-kactivities \
    --width 1280 --height 720 --socket walkers-measure >"$work/kwin.log" 2>&1 &
kwin_pid=$!
pids+=($kwin_pid)
for _ in $(seq 200); do
    dbus-send --session --print-reply --dest=org.kde.KWin /KWin org.freedesktop.DBus.Peer.Ping \
        >/dev/null 2>&1 && [ -S "$work/walkers-measure" ] && break
    sleep 0.1
done

# Time on a processor in nanoseconds, all threads.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f\n", sum }'; }

scripting() { # method arguments...
    dbus-send --session --print-reply --dest=org.kde.KWin /Scripting "org.kde.kwin.Scripting.$1" \
        "${@:2}" >/dev/null
}

GDK_BACKEND=wayland "$window" --title "measured window" --size 900x463 >/dev/null 2>&1 &
pids+=($!)
sleep 2

stats() { grep 'walkers stats' "$work/walkers.log" | tail -n1; }
field() { local value; value=$(sed -n "s/.* $1 \([0-9]*\).*/\1/p" <<<"$2"); echo "${value:-0}"; }
delta() { echo $(( $(field "$1" "$3") - $(field "$1" "$2") )); }

measure() { # label
    local label=$1
    kill -USR1 "$walkers_pid"; sleep 0.2
    local before; before=$(stats)
    local w0 k0 t0; w0=$(cpu_ns "$walkers_pid"); k0=$(cpu_ns "$kwin_pid"); t0=$(date +%s%N)
    sleep "$seconds"
    kill -USR1 "$walkers_pid"
    local w1 k1 t1; w1=$(cpu_ns "$walkers_pid"); k1=$(cpu_ns "$kwin_pid"); t1=$(date +%s%N)
    sleep 0.2
    local after; after=$(stats)
    local ticks; ticks=$(delta ticks "$before" "$after")
    echo "$label:"
    awk -v t="$ticks" -v ns=$((t1 - t0)) -v w=$((w1 - w0)) -v k=$((k1 - k0)) \
        -v e="$(delta events "$before" "$after")" -v b="$(delta reply_bytes "$before" "$after")" 'BEGIN {
        seconds = ns / 1e9
        if (t == 0) t = 1
        printf "  %.2f ticks per second over %.0f s\n", t / seconds, seconds
        printf "  walkers CPU %.2f%% (%.0f us per tick), KWin CPU %.2f%% (%.0f us per tick)\n",
               100 * w / 1e9 / seconds, w / 1e3 / t, 100 * k / 1e9 / seconds, k / 1e3 / t
        printf "  session bus per tick: %.3f reports, %.1f bytes (%d reports in all)\n", e / t, b / t, e }'
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
WALKERS_WAYLAND_STATS=1 "$walkers" >"$work/walkers.log" 2>&1 &
walkers_pid=$!
pids+=($walkers_pid)
sleep "$warmup"
measure "one window, nothing moves"

# A script of KWin's own moves the window back and forth.
cat >"$work/mover.js" <<SCRIPT
var w = workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient;
var timer = new QTimer();
var step = 0;
timer.interval = $move_ms;
timer.timeout.connect(function () { var g = w.frameGeometry; g.x = 100 + (step++ % 2) * 200; w.frameGeometry = g; });
timer.start();
SCRIPT
if scripting loadScript string:"$work/mover.js" string:walkers-measure-mover && scripting start; then
    sleep 1
    measure "the window moving every $move_ms ms"
    scripting unloadScript string:walkers-measure-mover || true
fi
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
