#!/bin/bash
# Soak: the sanitized walkers on a virtual desktop for a while (10 minutes
# unless told) under a storm of windows created, renamed, moved, focused and
# destroyed, and at the same time a client that floods it and lies to it
# (tests/e2e/hostile_client.c, every scenario in turn). Fails on any
# sanitizer report, on walkers' memory growing more than 2 MB over what it
# was after the first minute, on a gap of more than 200 ms between two
# ticks after the first minute, or on walkers ending.
#
#   tools/soak-hostile.sh [BUILD_DIR] [SECONDS]    (default: build 600)
#
# BUILD_DIR is the sanitized test build (`make host`), or a release build
# (then no sanitizer watches, and resident memory is judged too).
#
# Walkers' memory is its live heap: every byte allocated and not yet freed,
# by walkers and by xcb (its queues included), as the allocator
# counts it; walkers prints it with its statistics. Resident memory is
# logged and reported beside it, and judged only without a sanitizer: in a
# sanitized build it counts the sanitizer's bookkeeping too, which grows for
# minutes under this load while the live heap stays flat (its quarantine
# and size classes, which keep the heap's pages, and its record of every
# distinct stack that allocated, kept for good).
set -u
build=$(realpath "${1:-build}")
seconds=${2:-600}
walkers=$build/app/walkers
hostile=$build/tests/e2e/e2e_hostile_client
sample=$build/tests/e2e/e2e_sample_window
for program in "$walkers" "$hostile" "$sample"; do
    [ -x "$program" ] || { echo "soak: $program is missing; run make host first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/walkers-soak.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
# openbox cannot keep up with the floods: it queues every notice of the
# title flood and re-reads the title for each, and grew to 23 GB in ten
# minutes until the kernel killed it (and the machine's other work waited
# on reclaimed memory meanwhile). Its memory is capped; when it dies of
# that it is started again, and walkers meanwhile goes without a window
# manager, one more thing it must take.
(
    ulimit -v 3145728
    trap 'kill $manager 2>/dev/null; exit' TERM
    while :; do
        openbox & manager=$!
        wait $manager
        echo "openbox ended" >>"$work/openbox.ends"
        sleep 0.5
    done
) >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1
"$sample" --title sample --geometry 600x300+300+300 >"$work/sample.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q window "$work/sample.out" && break; sleep 0.1; done
window=$(awk '/^window/ {print $2}' "$work/sample.out")
xdotool windowactivate "$window" 2>/dev/null

# The quarantine of freed memory is kept small so that resident memory
# tells the program's own growth. walkers runs in a session of its own, as
# a program started from a desktop does: the scheduler shares the
# processors out between sessions first, and in this script's session the
# X server and the window manager, busy with the flood, would take the
# share walkers waits for.
WALKERS_X11_STATS=scheduling ASAN_OPTIONS=quarantine_size_mb=1 \
    setsid "$walkers" 2>"$work/walkers.err" &
walkers_pid=$!
pids+=($walkers_pid)
sleep 3
"$hostile" storm "$seconds" >"$work/storm.out" 2>&1 &
pids+=($!)
"$hostile" all "$seconds" "$window" >"$work/hostile.out" 2>&1 &
pids+=($!)

# Resident memory tells walkers' own only without the sanitizer.
sanitized=0
ldd "$walkers" | grep -q libasan && sanitized=1

failed=0
gaps=0
live_baseline=0
live_highest=0
live=0
loads=()
baseline=0
longest=0
longest_detail=
highest=0
start=$(date +%s)
# Time walkers spent ready to run but waiting for a processor (ns): on a
# loaded machine, it tells a gap the program caused from one it suffered;
# and the time it ran.
waited() { awk '{print $2}' "/proc/$walkers_pid/schedstat" 2>/dev/null || echo 0; }
ran() { awk '{print $1}' "/proc/$walkers_pid/schedstat" 2>/dev/null || echo 0; }
before=$(waited)
ran_before=$(ran)
ran_start=$ran_before
while :; do
    sleep 1
    elapsed=$(($(date +%s) - start))
    if ! kill -0 "$walkers_pid" 2>/dev/null; then
        echo "soak: walkers ended after ${elapsed}s" >&2
        failed=1
        break
    fi
    kill -USR1 "$walkers_pid"
    sleep 0.2
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$walkers_pid/status")
    stats_line=$(grep 'walkers stats:' "$work/walkers.err" | tail -1)
    live=$(echo "$stats_line" | grep -o 'live_heap_kb [0-9]*' | awk '{print $2}')
    heap=$(echo "$stats_line" | grep -o ' heap_kb [0-9]*' | awk '{print $2}')
    gap_line=$(grep -o 'longest_tick_gap_ms [0-9]*.*' "$work/walkers.err" | tail -1)
    gap=$(echo "$gap_line" | awk '{print $2}')
    load=$(cut -d' ' -f1 /proc/loadavg)
    loads+=("$load")
    now_waited=$(waited)
    cpu_wait=$(( (now_waited - before) / 1000000 ))
    before=$now_waited
    now_ran=$(ran)
    cpu_ran=$(( (now_ran - ran_before) / 1000000 ))
    ran_before=$now_ran
    # seconds, resident kB, live heap kB, the allocator's heap kB, and the
    # ms walkers ran and waited for a processor since the last line
    echo "$elapsed $rss ${live:-0} ${heap:-0} $cpu_ran $cpu_wait" >>"$work/resident.log"
    if [ "$elapsed" -ge 60 ]; then
        [ "$baseline" -eq 0 ] && baseline=$rss
        [ "$rss" -gt "$highest" ] && highest=$rss
        [ "$live_baseline" -eq 0 ] && live_baseline=${live:-0}
        [ "${live:-0}" -gt "$live_highest" ] && live_highest=${live:-0}
        if [ "${gap:-0}" -gt "$longest" ]; then
            longest=${gap:-0}
            longest_detail="${gap_line#longest_tick_gap_ms $gap }, load $load"
        fi
        if [ "${live:-0}" -gt $((live_baseline + 2048)) ]; then
            echo "soak: the live heap grew from $live_baseline kB to $live kB" >&2
            failed=1
        fi
        if [ "$sanitized" -eq 0 ] && [ "$rss" -gt $((baseline + 2048)) ]; then
            echo "soak: resident memory grew from $baseline kB to $rss kB" >&2
            failed=1
        fi
        if [ "${gap:-0}" -gt 200 ]; then
            echo "soak: a gap of $gap ms between ticks at ${elapsed}s, load $load:" \
                 "${gap_line#longest_tick_gap_ms $gap }" \
                 "(since the last look walkers ran $cpu_ran ms and waited $cpu_wait ms" \
                 "for a processor)" >&2
            gaps=$((gaps + 1))
            failed=1
        fi
    fi
    [ "$elapsed" -ge "$seconds" ] && break
done

kill -TERM "$walkers_pid" 2>/dev/null
wait "$walkers_pid"
status=$?
if grep -E -q 'AddressSanitizer|LeakSanitizer|runtime error' "$work/walkers.err"; then
    echo "soak: sanitizer report:" >&2
    grep -E -A20 'AddressSanitizer|LeakSanitizer|runtime error' "$work/walkers.err" | head -40 >&2
    failed=1
fi
ticks=$(grep -o 'ticks [0-9]*' "$work/walkers.err" | tail -1 | awk '{print $2}')
held=$(grep -o 'flushes_held [0-9]*, socket_looks [0-9]*' "$work/walkers.err" | tail -1)
echo "soak: ${seconds}s, $ticks ticks ($held), walkers exit status $status," \
     "live heap after the first minute $live_baseline kB, highest $live_highest kB," \
     "at the end $live kB; resident after the first minute $baseline kB," \
     "highest $highest kB, at the end $rss kB$([ "$sanitized" -eq 1 ] && echo ' (sanitizer included, not judged)')," \
     "longest gap between ticks after the first minute $longest ms $longest_detail," \
     "$gaps seconds with a gap over 200 ms," \
     "load average $(printf '%s\n' "${loads[@]}" | sort -g | sed -n '1p;$p' | paste -sd-);" \
     "storm: $(tail -1 "$work/storm.out"), hostile: $(tail -1 "$work/hostile.out")," \
     "openbox restarted $(cat "$work/openbox.ends" 2>/dev/null | wc -l) times," \
     "walkers ran $(( (ran_before - ran_start) / 10000000 / (elapsed > 0 ? elapsed : 1) ))% of a processor"
[ "$status" -eq 0 ] || failed=1
if [ "$failed" -ne 0 ]; then
    echo "soak: FAILED (logs in $work)" >&2
    exit 1
fi
echo "soak: passed"
[ -n "${SOAK_KEEP:-}" ] && echo "soak: logs in $work" || rm -rf "$work"
