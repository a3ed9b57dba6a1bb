#!/bin/bash
# What walkers costs on X11, measured next to xpenguins (nine penguins every
# 50 ms, the same pace as walkers' 20 ticks a second).
#
#   tools/measure-x11-cpu.sh [path/to/walkers]     (default build-release/app/walkers)
#
# On one Xvfb at 1920x1080 with openbox and one sample window in front, each
# program runs alone for MEASURE_SECONDS (default 60) and the script reports:
#   - the CPU of the program, of the X server and of openbox meanwhile
#     (/proc/PID/stat user+system time over the window), their sum (the whole
#     desktop's cost), and walkers' figures as ratios of xpenguins';
#   - system calls per tick: strace -c -f over STRACE_SECONDS (default 10),
#     divided by the ticks (walkers) or frames (xpenguins, 20 a second) in it;
#   - for walkers, X requests and round trips per tick in steady state: its
#     own counters (WALKERS_X11_STATS, read with SIGUSR1 at the start and the
#     end of the window). Every call that waits for a reply goes through a
#     counting wrapper, and Xlib's request serial counts the requests; and
#     how many pictures the server drew, how many puts of pixels it got;
#   - walkers' peak resident memory (VmHWM) at 1920x1080 and at 3840x2160;
#   - walkers with its own window in front for FROZEN_SECONDS (default 20):
#     each tick then only asks for the foreground window and returns, so this
#     is what a tick costs before it draws anything (the wake-up, the probe).
# xpenguins and strace are installed if missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
walkers=$(realpath "${1:-$root/build-release/app/walkers}")
seconds=${MEASURE_SECONDS:-60}
strace_seconds=${STRACE_SECONDS:-10}
frozen_seconds=${FROZEN_SECONDS:-20}
warmup=3

if [ ! -x "$walkers" ]; then
    echo "measure: $walkers is missing; build it with:" >&2
    echo "  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release && cmake --build build-release" >&2
    exit 1
fi

missing=""
for pkg in xpenguins strace xvfb openbox xdotool x11-apps x11-utils; do
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null)" = installed ] || missing="$missing $pkg"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    echo "measure: installing$missing" >&2
    DEBIAN_FRONTEND=noninteractive $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing >/dev/null
fi

hz=$(getconf CLK_TCK)
work=$(mktemp -d "${TMPDIR:-/tmp}/walkers-measure.XXXXXX")
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
percent() { awk -v t="$1" -v s="$2" -v hz="$hz" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

# A desktop: Xvfb (a free display number of its own choosing), openbox, and
# one sample window in front. Sets DISPLAY, server_pid, manager_pid.
start_desktop() {
    local size=$1 file="$work/display.$1"
    Xvfb -displayfd 5 -screen 0 "${size}x24" -nolisten tcp -noreset 5>"$file" >/dev/null 2>&1 &
    server_pid=$!
    pids+=($server_pid)
    for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n1 "$file")
    openbox --sm-disable >/dev/null 2>&1 &
    manager_pid=$!
    pids+=($manager_pid)
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    sleep 1
    xlogo -geometry 900x500+400+300 >/dev/null 2>&1 &
    pids+=($!)
    local window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --class xlogo 2>/dev/null | head -n1) && [ -n "$window" ] && break
        sleep 0.1
    done
    xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
}

stop_desktop() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
}

# The last stats line walkers printed: "name value" pairs.
stat_of() { # log, field
    grep 'walkers stats:' "$1" | tail -n1 | tr ',' '\n' | awk -v f="$2" '$1 == f || $3 == f { print $NF }'
}

# Runs a program for the window and prints "program_cpu server_cpu manager_cpu".
measure_cpu() { # pid
    local pid=$1 p0 x0 m0 p1 x1 m1
    p0=$(cpu_ticks "$pid"); x0=$(cpu_ticks "$server_pid"); m0=$(cpu_ticks "$manager_pid")
    sleep "$seconds"
    p1=$(cpu_ticks "$pid"); x1=$(cpu_ticks "$server_pid"); m1=$(cpu_ticks "$manager_pid")
    echo "$(percent $((p1 - p0)) "$seconds") $(percent $((x1 - x0)) "$seconds") $(percent $((m1 - m0)) "$seconds")"
}

syscalls() { # pid -> total calls in strace_seconds
    timeout -s INT "$strace_seconds" strace -c -f -p "$1" -o "$work/strace.$1" >/dev/null 2>&1 || true
    awk '/^[ -]*[0-9.]+ +[0-9.]+ +[0-9]+ +[0-9]+/ && $NF == "total" { print $4 }' "$work/strace.$1"
}

echo "measure: walkers $walkers; ${seconds} s each at 1920x1080" >&2

# --- walkers at 1920x1080
start_desktop 1920x1080
WALKERS_X11_STATS=1 "$walkers" 2>"$work/walkers.log" &
walkers_pid=$!
pids+=($walkers_pid)
sleep "$warmup"
kill -USR1 "$walkers_pid"; sleep 0.2
ticks0=$(stat_of "$work/walkers.log" ticks); trips0=$(stat_of "$work/walkers.log" round_trips)
requests0=$(stat_of "$work/walkers.log" requests); events0=$(stat_of "$work/walkers.log" x_events)
puts0=$(stat_of "$work/walkers.log" pixel_puts); copies0=$(stat_of "$work/walkers.log" picture_copies)
t0=$(date +%s%N)
read -r w_cpu w_server w_manager < <(measure_cpu "$walkers_pid")
kill -USR1 "$walkers_pid"; sleep 0.2
t1=$(date +%s%N)
ticks1=$(stat_of "$work/walkers.log" ticks); trips1=$(stat_of "$work/walkers.log" round_trips)
requests1=$(stat_of "$work/walkers.log" requests); events1=$(stat_of "$work/walkers.log" x_events)
puts1=$(stat_of "$work/walkers.log" pixel_puts); copies1=$(stat_of "$work/walkers.log" picture_copies)
tick_rate=$(awk -v n=$((ticks1 - ticks0)) -v ns=$((t1 - t0)) 'BEGIN { printf "%.2f", n / (ns / 1e9) }')
w_calls=$(syscalls "$walkers_pid")
w_rss=$(awk '/VmHWM/ { print $2 }' "/proc/$walkers_pid/status")
# Its own window in front: the figures hold still and a tick draws nothing.
form=$(xdotool search --name '^Form1$' 2>/dev/null | head -n1 || true)
f_cpu=n/a
if [ -n "$form" ] && xdotool windowactivate --sync "$form" >/dev/null 2>&1; then
    sleep 1
    f0=$(cpu_ticks "$walkers_pid")
    sleep "$frozen_seconds"
    f_cpu=$(percent $(($(cpu_ticks "$walkers_pid") - f0)) "$frozen_seconds")
fi
kill "$walkers_pid"; wait "$walkers_pid" 2>/dev/null || true

# --- xpenguins on the same desktop
xpenguins -q -t Big_Penguins -n 9 -m 50 >/dev/null 2>&1 &
penguins_pid=$!
pids+=($penguins_pid)
sleep "$warmup"
read -r p_cpu p_server p_manager < <(measure_cpu "$penguins_pid")
p_calls=$(syscalls "$penguins_pid")
kill "$penguins_pid"; wait "$penguins_pid" 2>/dev/null || true
stop_desktop

# --- walkers' memory at 3840x2160
start_desktop 3840x2160
"$walkers" 2>/dev/null &
big_pid=$!
pids+=($big_pid)
sleep 15
big_rss=$(awk '/VmHWM/ { print $2 }' "/proc/$big_pid/status")
kill "$big_pid"; wait "$big_pid" 2>/dev/null || true
stop_desktop

ticks=$((ticks1 - ticks0))
per_tick() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# CPU per tick in microseconds, from a percentage of a core at 20 ticks a second.
micros() { awk -v p="$1" 'BEGIN { if (p == "n/a") print p; else printf "%.0f", p * 10000 / 20 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "n/a" }'; }
sum() { awk -v a="$1" -v b="$2" -v c="$3" 'BEGIN { printf "%.2f", a + b + c }'; }
w_desktop=$(sum "$w_cpu" "$w_server" "$w_manager")
p_desktop=$(sum "$p_cpu" "$p_server" "$p_manager")
strace_ticks=$(awk -v r="$tick_rate" -v s="$strace_seconds" 'BEGIN { print r * s }')
cat <<REPORT
                                   walkers   xpenguins
program CPU %                      $(printf '%7s' "$w_cpu")   $(printf '%9s' "$p_cpu")
program CPU per tick/frame, us     $(printf '%7s' "$(micros "$w_cpu")")   $(printf '%9s' "$(micros "$p_cpu")")
walkers with Form1 in front: CPU %  $(printf '%6s' "$f_cpu")   (a tick that draws nothing: $(micros "$f_cpu") us)
X server CPU % meanwhile           $(printf '%7s' "$w_server")   $(printf '%9s' "$p_server")
openbox CPU % meanwhile            $(printf '%7s' "$w_manager")   $(printf '%9s' "$p_manager")
whole desktop CPU %                $(printf '%7s' "$w_desktop")   $(printf '%9s' "$p_desktop")
ratios walkers/xpenguins           program $(ratio "$w_cpu" "$p_cpu"), X server $(ratio "$w_server" "$p_server"), desktop $(ratio "$w_desktop" "$p_desktop")
system calls per tick              $(printf '%7s' "$(per_tick "$w_calls" "$strace_ticks")")   $(printf '%9s' "$(per_tick "$p_calls" $((20 * strace_seconds)))")
walkers: ticks per second          $tick_rate
walkers: X round trips per tick    $(per_tick $((trips1 - trips0)) "$ticks")  ($((trips1 - trips0)) in $ticks ticks)
walkers: X requests per tick       $(per_tick $((requests1 - requests0)) "$ticks")
walkers: X events per tick         $(per_tick $((events1 - events0)) "$ticks")
walkers: picture copies per tick   $(per_tick $((copies1 - copies0)) "$ticks")  (drawn by the server)
walkers: pixel puts per tick       $(per_tick $((puts1 - puts0)) "$ticks")  (pixels sent from the client image)
walkers: peak RSS at 1920x1080     $((w_rss / 1024)) MiB ($w_rss kB)
walkers: peak RSS at 3840x2160     $((big_rss / 1024)) MiB ($big_rss kB)
targets: program <= 1.6x, X server <= 1.4x, desktop (program + X server + openbox) <= 1.5x; RSS at 3840x2160 < 16 MiB
REPORT
