#!/bin/bash
# What a client that floods walkers and lies to it (tests/e2e/hostile_client.c)
# costs walkers, and, given a second build, what a change to it costs there.
#
#   tools/measure-x11-hostile.sh [AFTER [BEFORE]]
#       AFTER: walkers to measure (default build-release/app/walkers);
#       BEFORE: another build of it, measured in the same run beside AFTER.
#
# Each scenario of the hostile client (HOSTILE_SCENARIOS, default all but
# "all") runs for HOSTILE_SECONDS (default 5) against each build, in
# HOSTILE_TURNS (default 2) turns, the builds' order flipped every turn so
# that the machine's other load falls on both alike. Every run has a desktop
# of its own (Xvfb at 1920x1080, openbox, one sample window in front, which
# the client aims at): what a scenario leaves behind on the root and the
# window does not fall on the next run. walkers starts, settles for 3 s, and
# is then measured from the client's start to its end, per build and
# scenario over the turns:
#   - walkers' CPU (/proc/PID/task/*/schedstat);
#   - its wake-ups a second: the times it gave up the processor to wait
#     (voluntary context switches, /proc/PID/task/*/status), and the waits of
#     its loop (the `waits` field of WALKERS_X11_STATS). A wait ends at
#     each answer to the foreground probe's questions too, often at once:
#     under wrong-types, root-flood and storm one build's waits swing
#     tenfold from run to run with its questions, while its wake-ups hold;
#   - its ticks a second (20 is the rhythm; a tick stuck behind the flood
#     shows here);
#   - its live heap (`live_heap_kb`, read with SIGUSR1 every second, which
#     adds one wake-up a second to every run alike): the highest, and the
#     most it grew over a run;
#   - the changes a second the client made (its "done N"): a build that
#     costs less because the server let the flood through more slowly shows
#     here.
# The hostile client is HOSTILE_CLIENT, or the one built next to AFTER (or
# BEFORE): build/tests/e2e/e2e_hostile_client. Xvfb, openbox and xdotool
# are installed if missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/measure-common.sh"
measure_builds "$@"
seconds=${HOSTILE_SECONDS:-5}
turns=${HOSTILE_TURNS:-2}
scenarios=(${HOSTILE_SCENARIOS:-title-flood extents wrong-types active-root active-pixmap
    active-dead supported message-flood configure-flood root-flood storm})
warmup=3

hostile=${HOSTILE_CLIENT:-}
for walkers in "${builds[@]}"; do
    candidate=$(dirname "$walkers")/../tests/e2e/e2e_hostile_client
    [ -n "$hostile" ] || [ ! -x "$candidate" ] || hostile=$(realpath "$candidate")
done
if [ ! -x "$hostile" ]; then
    echo "measure: no hostile client next to the builds; build it with:" >&2
    echo "  cmake --build build-release --target e2e_hostile_client   (or set HOSTILE_CLIENT)" >&2
    exit 1
fi

measure_install xvfb openbox xdotool x11-apps x11-utils

measure_workspace walkers-hostile

# Voluntary context switches of all of a process's threads.
switches() { # pid
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { sum += $2 } END { print sum + 0 }'
}

# Per build and scenario, summed over the turns: total[BUILD.SCENARIO.key].
declare -A total
add() { total[$1]=$((${total[$1]} + $2)); } # key amount
keys=(cpu ns switches waits ticks changes peak growth)
for b in "${!builds[@]}"; do
    for scenario in "${scenarios[@]}"; do
        for key in "${keys[@]}"; do total[$b.$scenario.$key]=0; done
    done
done
loads=()

# The figures of total[PREFIX.*], a line: CPU %, wake-ups/s, waits/s,
# ticks/s, the highest live heap, its growth, the client's changes/s.
figures() { # prefix
    local p=$1
    awk -v c="${total[$p.cpu]}" -v ns="${total[$p.ns]}" -v s="${total[$p.switches]}" \
        -v w="${total[$p.waits]}" -v t="${total[$p.ticks]}" -v k="${total[$p.changes]}" \
        -v peak="${total[$p.peak]}" -v growth="${total[$p.growth]}" 'BEGIN {
        sec = ns / 1e9
        printf "%.2f %.1f %.1f %.1f %d %d %.0f\n", 100 * c / ns, s / sec, w / sec, t / sec, peak, growth, k / sec }'
}
format='%-16s %-12s %7s %11s %9s %8s %10s %8s %11s\n'

# One run: a desktop, walkers on it, the client's scenario against it.
run() { # build scenario
    local b=$1 scenario=$2 log="$work/walkers.$1.$2.log"
    : >"$log"
    measure_x_desktop 1920x1080
    # walkers runs in a session of its own, as a program started from a
    # desktop does: the scheduler shares the processors out between sessions
    # first, and in this script's session the X server and openbox, busy
    # with the flood, would take the share walkers waits for.
    WALKERS_X11_STATS=1 setsid "${builds[b]}" 2>>"$log" &
    local walkers_pid=$!
    pids+=($walkers_pid)
    sleep "$warmup"
    measure_x11_report "$walkers_pid" "$log"
    local cpu0 switches0 t0 ticks0 waits0 live0 peak
    cpu0=$(measure_cpu_ns "$walkers_pid"); switches0=$(switches "$walkers_pid"); t0=$(date +%s%N)
    ticks0=$(measure_x11_stat "$log" ticks); waits0=$(measure_x11_stat "$log" waits)
    live0=$(measure_x11_stat "$log" live_heap_kb); live0=${live0:-0}
    peak=$live0
    "$hostile" "$scenario" "$seconds" "$sample" >"$work/hostile.out" 2>&1 &
    local hostile_pid=$!
    pids+=($hostile_pid)
    while kill -0 "$hostile_pid" 2>/dev/null && kill -0 "$walkers_pid" 2>/dev/null; do
        sleep 1
        kill -0 "$walkers_pid" 2>/dev/null || break
        measure_x11_report "$walkers_pid" "$log"
        local live; live=$(measure_x11_stat "$log" live_heap_kb); live=${live:-0}
        [ "$live" -le "$peak" ] || peak=$live
    done
    wait "$hostile_pid" || true
    if ! kill -0 "$walkers_pid" 2>/dev/null; then
        echo "measure: ${names[b]} ended during $scenario (log $log):" >&2
        tail -n 5 "$log" >&2
        exit 1
    fi
    local cpu1 switches1 t1 changes
    cpu1=$(measure_cpu_ns "$walkers_pid"); switches1=$(switches "$walkers_pid"); t1=$(date +%s%N)
    measure_x11_report "$walkers_pid" "$log"
    changes=$(awk '/^done/ { print $2 }' "$work/hostile.out")
    measure_end_processes
    # This run's figures, then the build's for the scenario over the turns.
    total[run.cpu]=$((cpu1 - cpu0))
    total[run.ns]=$((t1 - t0))
    total[run.switches]=$((switches1 - switches0))
    total[run.ticks]=$(($(measure_x11_stat "$log" ticks) - ticks0))
    total[run.waits]=$(($(measure_x11_stat "$log" waits) - waits0))
    total[run.changes]=${changes:-0}
    total[run.peak]=$peak
    total[run.growth]=$((peak - live0))
    local key p=$b.$scenario
    for key in cpu ns switches ticks waits changes; do add "$p.$key" "${total[run.$key]}"; done
    for key in peak growth; do
        [ "${total[run.$key]}" -le "${total[$p.$key]}" ] || total[$p.$key]=${total[run.$key]}
    done
    # shellcheck disable=SC2059,SC2046
    echo "$(printf "$format" "$scenario" "${names[b]}" $(figures run))  load $(measure_load)" >&2
}

echo "measure: ${names[*]}: ${builds[*]}; client $hostile; ${seconds} s a scenario, $turns turns" >&2
for ((turn = 1; turn <= turns; turn++)); do
    loads+=("$(measure_load)")
    order=("${!builds[@]}")
    [ $((turn % 2)) = 0 ] && [ ${#builds[@]} = 2 ] && order=(1 0)
    for scenario in "${scenarios[@]}"; do
        for b in "${order[@]}"; do run "$b" "$scenario"; done
    done
done
loads+=("$(measure_load)")

# --- the report: a line per build and scenario, and with two builds one of
# AFTER / BEFORE.
# shellcheck disable=SC2059
printf "$format" scenario build "CPU %" wake-ups/s waits/s ticks/s "heap kB" growth "changes/s"
for scenario in "${scenarios[@]}"; do
    label=$scenario
    lines=()
    for b in "${!builds[@]}"; do
        lines+=("$(figures "$b.$scenario")")
        # shellcheck disable=SC2059,SC2086
        printf "$format" "$label" "${names[b]}" ${lines[b]}
        label=""
    done
    if [ ${#builds[@]} = 2 ]; then
        read -r -a after <<<"${lines[0]}"
        read -r -a before <<<"${lines[1]}"
        ratios=()
        for i in "${!after[@]}"; do ratios+=("$(measure_ratio "${after[i]}" "${before[i]}")"); done
        # shellcheck disable=SC2059
        printf "$format" "" after/before "${ratios[@]}"
    fi
done
echo "heap kB: the highest live heap over the turns; growth: the most it grew in one run"
echo "load average at each turn's start and at the end: $(printf '%s\n' "${loads[@]}" | sort -g | sed -n '1p;$p' | paste -sd-) (${loads[*]})"
