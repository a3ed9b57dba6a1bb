# What the measuring scripts share; sourced, not run.

# Installs the Debian packages among the arguments that are missing.
measure_install() {
    local missing="" pkg sudo=""
    for pkg in "$@"; do
        [ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null)" = installed ] || missing="$missing $pkg"
    done
    [ -n "$missing" ] || return 0
    [ "$(id -u)" = 0 ] || sudo=sudo
    echo "measure: installing$missing" >&2
    DEBIAN_FRONTEND=noninteractive $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing >/dev/null
}

# A scratch folder in $work and the list $pids of processes started; at exit
# they are ended, newest first, and the folder removed.
measure_workspace() { # name
    work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    pids=()
    trap measure_cleanup EXIT
    trap 'exit 130' INT TERM
}
measure_cleanup() {
    measure_end_processes
    rm -rf "$work"
}
# Ends the processes in $pids, newest first, and empties the list.
measure_end_processes() {
    local i pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
}

# On the display in $DISPLAY: openbox, then a sample window it puts in
# front. Sets manager_pid and sample (the window's id); waits at most
# `tries` tenths of a second for each.
measure_desktop_apps() { # tries
    local tries=$1 _
    openbox --sm-disable >/dev/null 2>&1 &
    manager_pid=$!
    pids+=($manager_pid)
    for _ in $(seq "$tries"); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    sleep 1
    xlogo -geometry 900x500+400+300 >/dev/null 2>&1 &
    pids+=($!)
    sample=""
    for _ in $(seq "$tries"); do
        sample=$(xdotool search --onlyvisible --class xlogo 2>/dev/null | head -n1) && [ -n "$sample" ] && break
        sleep 0.1
    done
    xdotool windowactivate --sync "$sample" >/dev/null 2>&1 || true
}

# A virtual X server at `size` (WIDTHxHEIGHT) on a free display number of
# its own choosing, with openbox and the sample window of
# measure_desktop_apps. Sets DISPLAY, server_pid, manager_pid and sample.
measure_x_desktop() { # size
    local file="$work/display.$1" _
    # Gone before the server starts: the shell opens it for the server only
    # after this goes on, and would read the last server's number meanwhile.
    rm -f "$file"
    Xvfb -displayfd 5 -screen 0 "$1x24" -nolisten tcp -noreset 5>"$file" >"$work/xvfb.log" 2>&1 &
    server_pid=$!
    pids+=($server_pid)
    for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
    if [ ! -s "$file" ]; then
        echo "measure: Xvfb gave no display in 10 s:" >&2
        cat "$work/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=:$(head -n1 "$file")
    measure_desktop_apps 100
}

# Time a process has run on a processor, all its threads, in nanoseconds:
# the scheduler's own count, finer than the clock ticks of /proc/PID/stat.
measure_cpu_ns() { # pid
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f\n", sum }'
}

# t nanoseconds of a processor over s seconds, as a percentage of one.
measure_percent() { # t s
    awk -v t="$1" -v s="$2" 'BEGIN { printf "%.3f", 100 * t / 1e9 / s }'
}

# a / b, written "1.23x"; n/a when b is not above 0.
measure_ratio() { # a b
    awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "n/a" }'
}

# Asks walkers (started with WALKERS_X11_STATS, its errors in `log`) for its
# counters and waits, at most 5 s, until it has printed them: under a flood
# a report can be a while coming.
measure_x11_report() { # pid log
    local reports _
    reports=$(grep -c 'walkers stats:' "$2" || true)
    kill -USR1 "$1" 2>/dev/null || { echo "measure: walkers ($1) has ended" >&2; return 1; }
    for _ in $(seq 50); do
        [ "$(grep -c 'walkers stats:' "$2" || true)" -gt "$reports" ] && return 0
        sleep 0.1
    done
    echo "measure: no report from walkers ($1) in 5 s" >&2
}

# A field of the last report walkers printed in `log` ("name value" pairs).
measure_x11_stat() { # log field
    grep 'walkers stats:' "$1" | tail -n1 | tr ',' '\n' | awk -v f="$2" '$1 == f || $3 == f { print $NF; exit }'
}

# The load average over the last minute, for the report beside its figures.
measure_load() { cut -d' ' -f1 /proc/loadavg; }

# The walkers builds a script measures, from its arguments [AFTER [BEFORE]]:
# sets builds (their paths) and names ("walkers" alone, or "after" and
# "before"). Ends the script when one is missing.
measure_builds() { # [after [before]]
    builds=("$(realpath "${1:-$root/build-release/app/walkers}")")
    names=(walkers)
    if [ -n "${2:-}" ]; then
        builds+=("$(realpath "$2")")
        names=(after before)
    fi
    local walkers
    for walkers in "${builds[@]}"; do
        [ -x "$walkers" ] && continue
        echo "measure: $walkers is missing; build it with:" >&2
        echo "  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release && cmake --build build-release" >&2
        exit 1
    done
}
