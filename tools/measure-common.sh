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
