#!/bin/bash
# What walkers costs on X11, measured next to xpenguins (nine penguins every
# 50 ms, the same pace as walkers' 20 ticks a second).
#
#   tools/measure-x11-cpu.sh [path/to/walkers]     (default build-release/app/walkers)
#
# On one Xvfb at 1920x1080 with openbox and one sample window in front, each
# program runs alone for MEASURE_SECONDS (default 60) in all, in
# MEASURE_TURNS (default 4) turns taken one after the other, so that a
# change in the machine's other load falls on both; the script reports:
#   - the CPU of the program, of the X server and of openbox meanwhile
#     (/proc/PID/schedstat's running time over the turns), their sum (the
#     whole desktop's cost), and walkers' figures as ratios of xpenguins';
#   - system calls per tick: strace -c -f over STRACE_SECONDS (default 10),
#     divided by the ticks (walkers) or frames (xpenguins, 20 a second) in it;
#   - for walkers, X requests and round trips per tick in steady state: its
#     own counters (WALKERS_X11_STATS, read with SIGUSR1 at the start and the
#     end of each turn). Every call that waits for a reply goes through a
#     counting wrapper, and Xlib's request serial counts the requests; and
#     how many pictures the server drew, how many puts of pixels it got;
#   - walkers' peak resident memory (VmHWM) at 1920x1080 and at 3840x2160;
#   - walkers with its own window in front for FROZEN_SECONDS (default 20):
#     each tick then only asks for the foreground window and returns, so this
#     is what a tick costs before it draws anything (the wake-up, the probe).
# xpenguins and strace are installed if missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/measure-common.sh"
walkers=$(realpath "${1:-$root/build-release/app/walkers}")
seconds=${MEASURE_SECONDS:-60}
turns=${MEASURE_TURNS:-4}
turn_seconds=$((seconds / turns))
seconds=$((turn_seconds * turns))
strace_seconds=${STRACE_SECONDS:-10}
frozen_seconds=${FROZEN_SECONDS:-20}
warmup=3

if [ ! -x "$walkers" ]; then
    echo "measure: $walkers is missing; build it with:" >&2
    echo "  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release && cmake --build build-release" >&2
    exit 1
fi

missing=""
measure_install xpenguins strace xvfb openbox xdotool x11-apps x11-utils

measure_workspace walkers-measure

# CPU time in nanoseconds (the scheduler's own count, finer than /proc/PID/stat's ticks).
cpu_ns() { cut -d' ' -f1 "/proc/$1/schedstat"; }
percent() { awk -v t="$1" -v s="$2" 'BEGIN { printf "%.3f", 100 * t / 1e9 / s }'; }

# A desktop: Xvfb (a free display number of its own choosing), openbox, and
# one sample window in front. Sets DISPLAY, server_pid, manager_pid.
start_desktop() {
    local size=$1 file="$work/display.$1"
    Xvfb -displayfd 5 -screen 0 "${size}x24" -nolisten tcp -noreset 5>"$file" >/dev/null 2>&1 &
    server_pid=$!
    pids+=($server_pid)
    for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n1 "$file")
    measure_desktop_apps 100
}

stop_desktop() { measure_end_processes; }

# The last stats line walkers printed: "name value" pairs.
stat_of() { # log, field
    grep 'walkers stats:' "$1" | tail -n1 | tr ',' '\n' | awk -v f="$2" '$1 == f || $3 == f { print $NF; exit }'
}

# Prints the CPU nanoseconds of the program, the X server and openbox over
# the next `seconds`: "program server manager".
measure_cpu() { # pid seconds
    local pid=$1 p0 x0 m0 p1 x1 m1
    p0=$(cpu_ns "$pid"); x0=$(cpu_ns "$server_pid"); m0=$(cpu_ns "$manager_pid")
    sleep "$2"
    p1=$(cpu_ns "$pid"); x1=$(cpu_ns "$server_pid"); m1=$(cpu_ns "$manager_pid")
    echo "$((p1 - p0)) $((x1 - x0)) $((m1 - m0))"
}

syscalls() { # pid -> total calls in strace_seconds
    timeout -s INT "$strace_seconds" strace -c -f -p "$1" -o "$work/strace.$1" >/dev/null 2>&1 || true
    awk '/^[ -]*[0-9.]+ +[0-9.]+ +[0-9]+ +[0-9]+/ && $NF == "total" { print $4 }' "$work/strace.$1"
}

echo "measure: walkers $walkers; ${seconds} s each at 1920x1080" >&2

# --- walkers and xpenguins at 1920x1080, in turns: the machine's other work
# comes and goes, and turns share it out between the two.
declare -A total=([w_cpu]=0 [w_server]=0 [w_manager]=0 [p_cpu]=0 [p_server]=0 [p_manager]=0
    [ticks]=0 [trips]=0 [requests]=0 [events]=0 [puts]=0 [copies]=0 [ns]=0)
counters=(ticks round_trips requests x_events pixel_puts picture_copies)
keys=(ticks trips requests events puts copies)

walkers_turn() { # first turn?
    WALKERS_X11_STATS=1 "$walkers" 2>"$work/walkers.log" &
    walkers_pid=$!
    pids+=($walkers_pid)
    sleep "$warmup"
    local before=() after=() i t0 t1 cpu server manager
    t0=$(date +%s%N)
    kill -USR1 "$walkers_pid"; sleep 0.2
    for i in "${!counters[@]}"; do before[i]=$(stat_of "$work/walkers.log" "${counters[i]}"); done
    read -r cpu server manager < <(measure_cpu "$walkers_pid" "$turn_seconds")
    t1=$(date +%s%N)
    kill -USR1 "$walkers_pid"; sleep 0.2
    for i in "${!counters[@]}"; do after[i]=$(stat_of "$work/walkers.log" "${counters[i]}"); done
    for i in "${!keys[@]}"; do total[${keys[i]}]=$((total[${keys[i]}] + after[i] - before[i])); done
    total[ns]=$((total[ns] + t1 - t0))
    total[w_cpu]=$((total[w_cpu] + cpu)); total[w_server]=$((total[w_server] + server))
    total[w_manager]=$((total[w_manager] + manager))
    if [ "$1" = first ]; then
        w_calls=$(syscalls "$walkers_pid")
        w_rss=$(awk '/VmHWM/ { print $2 }' "/proc/$walkers_pid/status")
        # Its own window in front: the figures hold still and a tick draws nothing.
        local form f0
        form=$(xdotool search --name '^Form1$' 2>/dev/null | head -n1 || true)
        f_cpu=n/a
        if [ -n "$form" ] && xdotool windowactivate --sync "$form" >/dev/null 2>&1; then
            sleep 1
            f0=$(cpu_ns "$walkers_pid")
            sleep "$frozen_seconds"
            f_cpu=$(percent $(($(cpu_ns "$walkers_pid") - f0)) "$frozen_seconds")
        fi
    fi
    kill "$walkers_pid"; wait "$walkers_pid" 2>/dev/null || true
    # Back in front for the next program.
    xdotool windowactivate --sync "$sample" >/dev/null 2>&1 || true
}

# xpenguins runs from the first turn to the last, stopped in between: its
# penguins do different things as time goes on (fall, walk, climb), and each
# turn takes up where the last left off.
penguins_turn() { # first turn?
    local cpu server manager
    if [ "$1" = first ]; then
        xpenguins -q -t Big_Penguins -n 9 -m 50 >/dev/null 2>&1 &
        penguins_pid=$!
        pids+=($penguins_pid)
        sleep "$warmup"
    else
        kill -CONT "$penguins_pid"
    fi
    read -r cpu server manager < <(measure_cpu "$penguins_pid" "$turn_seconds")
    total[p_cpu]=$((total[p_cpu] + cpu)); total[p_server]=$((total[p_server] + server))
    total[p_manager]=$((total[p_manager] + manager))
    [ "$1" = first ] && p_calls=$(syscalls "$penguins_pid")
    kill -STOP "$penguins_pid"
}

start_desktop 1920x1080
for ((turn = 1; turn <= turns; turn++)); do
    which=other
    [ "$turn" = 1 ] && which=first
    walkers_turn "$which"
    penguins_turn "$which"
done
kill -CONT "$penguins_pid"; kill "$penguins_pid"; wait "$penguins_pid" 2>/dev/null || true
stop_desktop
w_cpu=$(percent "${total[w_cpu]}" "$seconds"); w_server=$(percent "${total[w_server]}" "$seconds")
w_manager=$(percent "${total[w_manager]}" "$seconds")
p_cpu=$(percent "${total[p_cpu]}" "$seconds"); p_server=$(percent "${total[p_server]}" "$seconds")
p_manager=$(percent "${total[p_manager]}" "$seconds")
tick_rate=$(awk -v n="${total[ticks]}" -v ns="${total[ns]}" 'BEGIN { printf "%.2f", n / (ns / 1e9) }')

# --- walkers' memory at 3840x2160
start_desktop 3840x2160
"$walkers" 2>/dev/null &
big_pid=$!
pids+=($big_pid)
sleep 15
big_rss=$(awk '/VmHWM/ { print $2 }' "/proc/$big_pid/status")
kill "$big_pid"; wait "$big_pid" 2>/dev/null || true
stop_desktop

ticks=${total[ticks]}
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
walkers: X round trips per tick    $(per_tick ${total[trips]} "$ticks")  (${total[trips]} in $ticks ticks)
walkers: X requests per tick       $(per_tick ${total[requests]} "$ticks")
walkers: X events per tick         $(per_tick ${total[events]} "$ticks")
walkers: picture copies per tick   $(per_tick ${total[copies]} "$ticks")  (drawn by the server)
walkers: pixel puts per tick       $(per_tick ${total[puts]} "$ticks")  (pixels sent from the client image)
walkers: peak RSS at 1920x1080     $((w_rss / 1024)) MiB ($w_rss kB)
walkers: peak RSS at 3840x2160     $((big_rss / 1024)) MiB ($big_rss kB)
targets: program <= 1.6x, X server <= 1.4x, desktop (program + X server + openbox) <= 1.5x; RSS at 3840x2160 < 16 MiB
REPORT
