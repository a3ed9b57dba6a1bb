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
    local i pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
