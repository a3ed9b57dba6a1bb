#!/bin/bash
# What walkers costs on GNOME Shell under Wayland: on a headless GNOME Shell
# (1920x1080, software rendering) with one GTK3 window in front, walkers (the
# X11 overlay on the shell's Xwayland, the focused window from its
# extension) runs for MEASURE_SECONDS (default 30), and the script reports:
#   - the ticks per second, and the CPU of walkers and of gnome-shell
#     meanwhile (/proc/PID/task/*/schedstat, Xwayland's too), as a share of
#     a core and per tick;
#   - the session bus's messages per tick (dbus-monitor): all of them, those
#     to or from walkers, and the extension's FocusChanged signals; with
#     nothing moving there should be none;
#   - the shell's and Xwayland's CPU without walkers, for comparison;
#   - the same while the window moves MOVES_PER_SECOND (default 5) times a
#     second, to show what following a moving window costs.
#
#   tools/measure-gnome-cpu.sh [path/to/walkers [path/to/gtk_test_window]]
# The extensions come from the build tree next to walkers (gnome-shell/).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/measure-common.sh"
walkers=$(realpath "${1:-$root/build-release/app/walkers}")
build=$(dirname "$(dirname "$walkers")")
window=$(realpath "${2:-$build/tests/desktops/gtk_test_window}")
seconds=${MEASURE_SECONDS:-30}
moves=${MOVES_PER_SECOND:-5}
warmup=3
for program in "$walkers" "$window"; do
    [ -x "$program" ] || { echo "measure: $program is missing (build the release tree)" >&2; exit 1; }
done
release=$(gnome-shell --version | sed -n 's/GNOME Shell \([0-9]*\).*/\1/p')
form=module
[ "${release:-0}" -lt 45 ] && form=imports
extensions=$build/gnome-shell/$form
[ -d "$extensions/walkers-test@walkers.github.io" ] ||
    { echo "measure: no test extension in $extensions (configure the tree with WALKERS_TESTS=ON)" >&2; exit 1; }

measure_workspace walkers-gnome-measure
mkdir -p "$work/home/.local/share/gnome-shell/extensions" "$work/run" /tmp/.X11-unix
chmod 700 "$work/run"
chmod 1777 /tmp/.X11-unix
cp -r "$extensions"/walkers@walkers.github.io "$extensions"/walkers-test@walkers.github.io \
    "$work/home/.local/share/gnome-shell/extensions/"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CURRENT_DESKTOP=GNOME
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/session_bus DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/system_bus
unset DISPLAY WAYLAND_DISPLAY
for bus in system_bus session_bus; do
    dbus-daemon --session --nofork --address="unix:path=$work/$bus" >/dev/null 2>&1 &
    pids+=($!)
done
for _ in $(seq 50); do [ -S "$work/session_bus" ] && [ -S "$work/system_bus" ] && break; sleep 0.1; done
set_key() { gsettings set "$@"; }
set_key org.gnome.shell enabled-extensions "['walkers@walkers.github.io', 'walkers-test@walkers.github.io']"
set_key org.gnome.shell welcome-dialog-last-shown-version "'999'"
set_key org.gnome.desktop.notifications show-banners false
set_key org.gnome.desktop.interface enable-hot-corners false
set_key org.gnome.desktop.interface enable-animations false
set_key org.gnome.desktop.session idle-delay "uint32 0"
set_key org.gnome.mutter auto-maximize false
set_key org.gnome.desktop.background picture-options "'none'"
set_key org.gnome.desktop.background primary-color "'#304860'"
set_key org.gnome.desktop.background color-shading-type "'solid'"
gnome-shell --headless --wayland --virtual-monitor 1920x1080 --wayland-display walkers-measure \
    >"$work/shell.log" 2>&1 &
shell_pid=$!
pids+=($shell_pid)
test_call() { gdbus call --session --dest org.gnome.Shell --object-path /io/github/walkers/Test \
    --method "io.github.walkers.Test.$1" "${@:2}"; }
for _ in $(seq 300); do test_call HideOverview 2>/dev/null | grep -q false && break; sleep 0.1; done
export WAYLAND_DISPLAY=walkers-measure
export DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$work/shell.log" | head -n1)
export XAUTHORITY=$(ls "$work"/run/.mutter-Xwaylandauth.* | head -n1)

GDK_BACKEND=wayland "$window" --title "measured window" --size 900x500 >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    test_call Move "measured window" 500 300 900 500 2>/dev/null | grep -q true &&
        test_call Activate "measured window" >/dev/null && break
    sleep 0.1
done

cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f\n", sum }'; }
xwayland_pid=$(pgrep -P "$shell_pid" -x Xwayland | head -n1)
stats() { grep 'walkers stats' "$work/walkers.log" | tail -n1; }
field() { local value; value=$(sed -n "s/.* $1 \([0-9]*\).*/\1/p" <<<"$2"); echo "${value:-0}"; }

# What the shell and Xwayland cost without walkers, for comparison.
idle_shell() {
    local s0 x0 t0 s1 x1 t1
    s0=$(cpu_ns "$shell_pid"); x0=$(cpu_ns "$xwayland_pid"); t0=$(date +%s%N)
    sleep "$seconds"
    s1=$(cpu_ns "$shell_pid"); x1=$(cpu_ns "$xwayland_pid"); t1=$(date +%s%N)
    awk -v ns=$((t1 - t0)) -v s=$((s1 - s0)) -v x=$((x1 - x0)) 'BEGIN {
        printf "without walkers: gnome-shell %.2f%%, Xwayland %.2f%% over %.0f s\n", 100 * s / ns, 100 * x / ns, ns / 1e9 }'
}
echo "GNOME Shell $release, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
idle_shell

WALKERS_X11_STATS=1 "$walkers" >"$work/walkers.log" 2>&1 &
walkers_pid=$!
pids+=($walkers_pid)
sleep "$warmup"
walkers_name=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetNameOwner "io.github.walkers.Walkers.i$walkers_pid" |
    sed -n "s/('\(.*\)',)/\1/p")

measure() { # label moving
    dbus-monitor --session >"$work/bus.log" 2>/dev/null &
    local monitor=$!
    local mover=""
    if [ "$2" = yes ]; then
        (i=0; while :; do i=$(((i + 1) % 2)); test_call Move "measured window" $((500 + 40 * i)) 300 900 500 >/dev/null
            sleep "$(awk -v m="$moves" 'BEGIN { print 1 / m }')"; done) &
        mover=$!
    fi
    sleep 0.5
    kill -USR1 "$walkers_pid"; sleep 0.2
    local before; before=$(stats)
    local w0 s0 x0 t0; w0=$(cpu_ns "$walkers_pid"); s0=$(cpu_ns "$shell_pid"); x0=$(cpu_ns "$xwayland_pid"); t0=$(date +%s%N)
    local lines0; lines0=$(grep -c '^[a-z]' "$work/bus.log" || true)
    local ours0; ours0=$(grep -c -e "sender=$walkers_name " -e "destination=$walkers_name " "$work/bus.log" || true)
    local focus0; focus0=$(grep -c 'member=FocusChanged' "$work/bus.log" || true)
    sleep "$seconds"
    kill -USR1 "$walkers_pid"
    local w1 s1 x1 t1; w1=$(cpu_ns "$walkers_pid"); s1=$(cpu_ns "$shell_pid"); x1=$(cpu_ns "$xwayland_pid"); t1=$(date +%s%N)
    local lines1; lines1=$(grep -c '^[a-z]' "$work/bus.log" || true)
    local ours1; ours1=$(grep -c -e "sender=$walkers_name " -e "destination=$walkers_name " "$work/bus.log" || true)
    local focus1; focus1=$(grep -c 'member=FocusChanged' "$work/bus.log" || true)
    [ -n "$mover" ] && { kill "$mover"; wait "$mover" 2>/dev/null || true; }
    sleep 0.2
    kill "$monitor"; wait "$monitor" 2>/dev/null || true
    local after; after=$(stats)
    local ticks=$(( $(field ticks "$after") - $(field ticks "$before") ))
    echo "$label:"
    awk -v t="$ticks" -v ns=$((t1 - t0)) -v w=$((w1 - w0)) -v s=$((s1 - s0)) -v x=$((x1 - x0)) \
        -v all=$((lines1 - lines0)) -v ours=$((ours1 - ours0)) -v focus=$((focus1 - focus0)) 'BEGIN {
        seconds = ns / 1e9
        if (t == 0) t = 1
        printf "  %.2f ticks per second over %.0f s\n", t / seconds, seconds
        printf "  walkers CPU %.2f%% (%.0f us per tick); gnome-shell %.2f%% (%.0f us per tick); Xwayland %.2f%% (%.0f us per tick)\n",
               100 * w / 1e9 / seconds, w / 1e3 / t, 100 * s / 1e9 / seconds, s / 1e3 / t, 100 * x / 1e9 / seconds, x / 1e3 / t
        printf "  session bus per tick: %.3f messages in all, %.3f to or from walkers, %.3f FocusChanged signals\n",
               all / t, ours / t, focus / t }'
}

label="nothing moving"; measure "$label" no
label="the window moving $moves times a second"; measure "$label" yes
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
