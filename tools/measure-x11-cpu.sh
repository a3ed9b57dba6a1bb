#!/bin/bash
# What walkers costs on X11, measured next to xpenguins (nine penguins every
# 50 ms, the same pace as walkers' 20 ticks a second), and, given a second
# build, what a change to it costs.
#
#   tools/measure-x11-cpu.sh [AFTER [BEFORE]]
#       AFTER: walkers to measure (default build-release/app/walkers);
#       BEFORE: another build of it, measured in the same run beside AFTER.
#
# On one Xvfb at 1920x1080 with openbox and one sample window in front, each
# program runs alone for MEASURE_SECONDS (default 60) in all, in
# MEASURE_TURNS (default 4) turns taken one after the other (the two builds
# in one order in one turn and the other in the next, then xpenguins), so
# that a change in the machine's other load falls on all alike; the script
# reports, for each build:
#   - the CPU of the program, of the X server and of openbox meanwhile
#     (/proc/PID/task/*/schedstat's running time over the turns), their sum
#     (the whole desktop's cost), and walkers' figures as ratios of
#     xpenguins';
#   - system calls per tick: strace -c -f over STRACE_SECONDS (default 10),
#     divided by the ticks (walkers) or frames (xpenguins, 20 a second) in it;
#   - X requests, events and round trips per tick in steady state: walkers'
#     own counters (WALKERS_X11_STATS, read with SIGUSR1 at the start and the
#     end of each turn: the fields ticks, round_trips, requests, x_events,
#     pixel_puts and picture_copies); how many pictures the server drew, how
#     many puts of pixels it got;
#   - walkers' peak resident memory (VmHWM) at 1920x1080 and at 3840x2160;
#   - walkers with its own window in front for FROZEN_SECONDS (default 20):
#     each tick then only asks for the foreground window and returns, so this
#     is what a tick costs before it draws anything (the wake-up, the probe).
# With two builds a last column gives AFTER / BEFORE. The load average (last
# minute) is reported at each turn's start, lowest and highest.
# xpenguins and strace are installed if missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/measure-common.sh"
measure_builds "$@"
seconds=${MEASURE_SECONDS:-60}
turns=${MEASURE_TURNS:-4}
turn_seconds=$((seconds / turns))
seconds=$((turn_seconds * turns))
strace_seconds=${STRACE_SECONDS:-10}
frozen_seconds=${FROZEN_SECONDS:-20}
warmup=3

measure_install xpenguins strace xvfb openbox xdotool x11-apps x11-utils

measure_workspace walkers-measure

# Prints the CPU nanoseconds of the program, the X server and openbox over
# the next `seconds`: "program server manager".
measure_cpu() { # pid seconds
    local pid=$1 p0 x0 m0 p1 x1 m1
    p0=$(measure_cpu_ns "$pid"); x0=$(measure_cpu_ns "$server_pid"); m0=$(measure_cpu_ns "$manager_pid")
    sleep "$2"
    p1=$(measure_cpu_ns "$pid"); x1=$(measure_cpu_ns "$server_pid"); m1=$(measure_cpu_ns "$manager_pid")
    echo "$((p1 - p0)) $((x1 - x0)) $((m1 - m0))"
}

syscalls() { # pid -> total calls in strace_seconds
    timeout -s INT "$strace_seconds" strace -c -f -p "$1" -o "$work/strace.$1" >/dev/null 2>&1 || true
    awk '/^[ -]*[0-9.]+ +[0-9.]+ +[0-9]+ +[0-9]+/ && $NF == "total" { print $4 }' "$work/strace.$1"
}

peak_rss() { awk '/VmHWM/ { print $2 }' "/proc/$1/status"; }

echo "measure: ${names[*]}: ${builds[*]}; ${seconds} s each at 1920x1080" >&2

# --- walkers and xpenguins at 1920x1080, in turns: the machine's other work
# comes and goes, and turns share it out between them. Totals are kept per
# build, as total[BUILD.key]; xpenguins' as total[p.key].
declare -A total=([p.cpu]=0 [p.server]=0 [p.manager]=0)
add() { total[$1]=$((${total[$1]} + $2)); } # key amount
declare -A calls rss frozen
counters=(ticks round_trips requests x_events pixel_puts picture_copies)
for b in "${!builds[@]}"; do
    for key in cpu server manager ns "${counters[@]}"; do total[$b.$key]=0; done
done
loads=()

walkers_turn() { # build first?
    local b=$1 log="$work/walkers.$1.log"
    WALKERS_X11_STATS=1 "${builds[b]}" 2>"$log" &
    walkers_pid=$!
    pids+=($walkers_pid)
    sleep "$warmup"
    local start=() counter i t0 t1 cpu server manager
    t0=$(date +%s%N)
    measure_x11_report "$walkers_pid" "$log"
    for counter in "${counters[@]}"; do start+=("$(measure_x11_stat "$log" "$counter")"); done
    read -r cpu server manager < <(measure_cpu "$walkers_pid" "$turn_seconds")
    t1=$(date +%s%N)
    measure_x11_report "$walkers_pid" "$log"
    for i in "${!counters[@]}"; do
        counter=${counters[i]}
        add "$b.$counter" $(($(measure_x11_stat "$log" "$counter") - start[i]))
    done
    add "$b.ns" $((t1 - t0))
    add "$b.cpu" "$cpu"
    add "$b.server" "$server"
    add "$b.manager" "$manager"
    if [ "$2" = first ]; then
        calls[$b]=$(syscalls "$walkers_pid")
        rss[$b]=$(peak_rss "$walkers_pid")
        # Its own window in front: the figures hold still and a tick draws nothing.
        local form f0
        form=$(xdotool search --name '^Form1$' 2>/dev/null | head -n1 || true)
        frozen[$b]=n/a
        if [ -n "$form" ] && xdotool windowactivate --sync "$form" >/dev/null 2>&1; then
            sleep 1
            f0=$(measure_cpu_ns "$walkers_pid")
            sleep "$frozen_seconds"
            frozen[$b]=$(measure_percent $(($(measure_cpu_ns "$walkers_pid") - f0)) "$frozen_seconds")
        fi
    fi
    kill "$walkers_pid"; wait "$walkers_pid" 2>/dev/null || true
    # Back in front for the next program.
    xdotool windowactivate --sync "$sample" >/dev/null 2>&1 || true
}

# xpenguins runs from the first turn to the last, stopped in between: its
# penguins do different things as time goes on (fall, walk, climb), and each
# turn takes up where the last left off.
penguins_turn() { # first?
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
    add p.cpu "$cpu"
    add p.server "$server"
    add p.manager "$manager"
    [ "$1" = first ] && p_calls=$(syscalls "$penguins_pid")
    kill -STOP "$penguins_pid"
}

measure_x_desktop 1920x1080
for ((turn = 1; turn <= turns; turn++)); do
    which=other
    [ "$turn" = 1 ] && which=first
    loads+=("$(measure_load)")
    # The builds' order flips every turn: neither always follows xpenguins.
    order=("${!builds[@]}")
    [ $((turn % 2)) = 0 ] && [ ${#builds[@]} = 2 ] && order=(1 0)
    for b in "${order[@]}"; do walkers_turn "$b" "$which"; done
    penguins_turn "$which"
done
kill -CONT "$penguins_pid"; kill "$penguins_pid"; wait "$penguins_pid" 2>/dev/null || true
measure_end_processes

# --- walkers' memory at 3840x2160
declare -A big_rss
measure_x_desktop 3840x2160
loads+=("$(measure_load)")
for b in "${!builds[@]}"; do
    "${builds[b]}" 2>/dev/null &
    big_pid=$!
    pids+=($big_pid)
    sleep 15
    big_rss[$b]=$(peak_rss "$big_pid")
    kill "$big_pid"; wait "$big_pid" 2>/dev/null || true
done
measure_end_processes

# --- the report
per_tick() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# CPU per tick in microseconds, from a percentage of a core at 20 ticks a second.
micros() { awk -v p="$1" 'BEGIN { if (p == "n/a") print p; else printf "%.0f", p * 10000 / 20 }'; }
sum() { awk -v a="$1" -v b="$2" -v c="$3" 'BEGIN { printf "%.2f", a + b + c }'; }
declare -A figure # figure[BUILD.name], figure[p.name]: what a row shows
for who in "${!builds[@]}" p; do
    figure[$who.cpu]=$(measure_percent "${total[$who.cpu]}" "$seconds")
    figure[$who.server]=$(measure_percent "${total[$who.server]}" "$seconds")
    figure[$who.manager]=$(measure_percent "${total[$who.manager]}" "$seconds")
    figure[$who.desktop]=$(sum "${figure[$who.cpu]}" "${figure[$who.server]}" "${figure[$who.manager]}")
    figure[$who.tick_us]=$(micros "${figure[$who.cpu]}")
done
figure[p.calls]=$(per_tick "$p_calls" $((20 * strace_seconds)))
for b in "${!builds[@]}"; do
    ticks=${total[$b.ticks]}
    figure[$b.rate]=$(awk -v n="$ticks" -v ns="${total[$b.ns]}" 'BEGIN { printf "%.2f", n / (ns / 1e9) }')
    figure[$b.calls]=$(per_tick "${calls[$b]}" "$(awk -v r="${figure[$b.rate]}" -v s="$strace_seconds" 'BEGIN { print r * s }')")
    for key in cpu server desktop; do
        figure[$b.$key/p]=$(measure_ratio "${figure[$b.$key]}" "${figure[p.$key]}")
    done
    for counter in round_trips requests x_events picture_copies pixel_puts; do
        figure[$b.$counter]=$(per_tick "${total[$b.$counter]}" "$ticks")
    done
    figure[$b.frozen]=${frozen[$b]}
    figure[$b.frozen_us]=$(micros "${frozen[$b]}")
    figure[$b.rss]=${rss[$b]}
    figure[$b.big_rss]=${big_rss[$b]}
done

# One line: the label, each build's figure, xpenguins' (when it has one),
# and with two builds AFTER / BEFORE.
row() { # label key
    local b line
    line=$(printf '%-38s' "$1")
    for b in "${!builds[@]}"; do line+=$(printf ' %10s' "${figure[$b.$2]}"); done
    line+=$(printf ' %10s' "${figure[p.$2]:-}")
    [ ${#builds[@]} = 2 ] && line+=$(printf ' %12s' "$(measure_ratio "${figure[0.$2]}" "${figure[1.$2]}")")
    echo "$line"
}
header=$(printf '%-38s' "")
for name in "${names[@]}"; do header+=$(printf ' %10s' "$name"); done
header+=$(printf ' %10s' xpenguins)
[ ${#builds[@]} = 2 ] && header+=$(printf ' %12s' after/before)
echo "$header"
row "program CPU %" cpu
row "program CPU per tick/frame, us" tick_us
row "Form1 in front (draws nothing): CPU %" frozen
row "  the same per tick, us" frozen_us
row "X server CPU % meanwhile" server
row "openbox CPU % meanwhile" manager
row "whole desktop CPU %" desktop
row "ratio to xpenguins: program" cpu/p
row "ratio to xpenguins: X server" server/p
row "ratio to xpenguins: desktop" desktop/p
row "system calls per tick" calls
row "ticks per second" rate
row "X round trips per tick" round_trips
row "X requests per tick" requests
row "X events per tick" x_events
row "picture copies per tick (server)" picture_copies
row "pixel puts per tick (client image)" pixel_puts
row "peak RSS at 1920x1080, kB" rss
row "peak RSS at 3840x2160, kB" big_rss
for b in "${!builds[@]}"; do
    echo "${names[b]}: ${builds[b]}: ${total[$b.round_trips]} round trips in ${total[$b.ticks]} ticks"
done
echo "load average at each turn's start: $(printf '%s\n' "${loads[@]}" | sort -g | sed -n '1p;$p' | paste -sd-) (${loads[*]})"
echo "targets: program <= 1.6x, X server <= 1.4x, desktop (program + X server + openbox) <= 1.5x; RSS at 3840x2160 < 16 MiB"
