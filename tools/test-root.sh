#!/bin/bash
# The Debian 13 root where the end-to-end tests run the newer desktops
# (KWin 6, GNOME Shell 48) with a walkers built here, on Debian 12.
#
#   tools/test-root.sh build [--background]
#       Builds the root unless the one in the cache is current: missing, or
#       built from another package list (debian13-test-root-packages.txt),
#       it is built anew. --background returns at once and leaves the
#       build running; a later `build` waits for it and reports its end.
#       Status 0: ready; 77: it cannot be built here (no Debian mirror
#       within reach, or not root), said in one line; 1: the build failed.
#   tools/test-root.sh path
#       Prints the root's folder; status 1 when it is not ready.
#   tools/test-root.sh report
#       Says in one line why the root is not ready, if it is not (after
#       the tests, so that tests skipped for its sake are not missed).
#   tools/test-root.sh run [--bind DIR]... -- COMMAND [ARGUMENT...]
#       Runs COMMAND inside the root with the environment as it is. /proc,
#       /dev (with a devpts of its own), /sys, /tmp and each DIR appear at
#       the same paths inside, so sockets, runtime folders and binaries
#       built here are found where the caller sees them. COMMAND keeps this
#       process's id (each step execs the next), so signalling it reaches
#       the program itself.
#
# The cache is WALKERS_TEST_ROOT_CACHE (/var/cache/walkers-test-root); the
# mirror the one this machine's apt uses (WALKERS_TEST_ROOT_MIRROR).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
self=$here/$(basename "$0")
list=$here/debian13-test-root-packages.txt
cache=${WALKERS_TEST_ROOT_CACHE:-/var/cache/walkers-test-root}
root=$cache/debian13
stamp=$cache/debian13.packages
failure=$cache/debian13.failed
log=$cache/debian13.log
# Bumped when the way of building changes, so that the root is rebuilt.
recipe=1

say() { echo "test-root: $*" >&2; }

packages() { grep -v '^#' "$list" | tr -s ' \t' '\n' | grep . | sort -u; }

wanted() { { echo "recipe $recipe"; packages; } | sha256sum | cut -d' ' -f1; }

current() { [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(wanted)" ] && [ -x "$root/bin/sh" ]; }

# The Debian mirror this machine's apt uses, so that the root comes from
# where the network lets apt go.
mirror() {
    if [ -n "${WALKERS_TEST_ROOT_MIRROR:-}" ]; then
        echo "$WALKERS_TEST_ROOT_MIRROR"
        return
    fi
    local found
    found=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
                /etc/apt/sources.list.d/*.sources 2>/dev/null |
            grep -v '^[[:space:]]*#' | grep -o 'https\?://[^[:space:]]*/debian/\?' |
            grep -v security | head -n1 || true)
    echo "${found:-http://deb.debian.org/debian}"
}

# Builds with the build lock held on descriptor 8.
build_locked() {
    current && return 0
    rm -f "$failure"
    local new=$cache/debian13.new started size
    rm -rf "$new"
    started=$(date +%s)
    say "building the Debian 13 root in $root (3-7 minutes; log: $log)"
    if ! mmdebstrap --mode=root --variant=apt --format=directory \
            --include="$(packages | paste -sd,)" \
            --customize-hook='chroot "$1" dbus-uuidgen --ensure=/etc/machine-id' \
            trixie "$new" "$(mirror)" >"$log" 2>&1; then
        rm -rf "$new"
        local reason="mmdebstrap failed"
        if grep -qiE 'Could not resolve|Failed to fetch|Temporary failure|Unable to connect|Connection (failed|refused|timed out)|Network is unreachable' "$log"; then
            reason="no Debian mirror within reach ($(mirror))"
            echo "77 $(wanted) $reason" >"$failure"
        else
            echo "1 $(wanted) $reason" >"$failure"
        fi
        return 1
    fi
    : >"$new/.walkers-in-use"
    # A root still in use by a test stays until the next build: a run holds
    # its root's lock, and renaming does not disturb it.
    if [ -d "$root" ]; then
        mv "$root" "$cache/debian13.old.$started"
    fi
    mv "$new" "$root"
    wanted >"$stamp"
    for old in "$cache"/debian13.old.*; do
        [ -d "$old" ] || continue
        flock -n -x "$old/.walkers-in-use" rm -rf "$old" || true
    done
    size=$(du -sm "$root" | cut -f1)
    say "built in $(($(date +%s) - started)) s, ${size} MB on disk"
    echo "built in $(($(date +%s) - started)) s, ${size} MB on disk" >>"$log"
}

# Whether a build failed for the list as it is now within the hour (as
# the one `build --background` started does): trying again at once would
# most likely fail again.
recent_failure() {
    [ -f "$failure" ] && [ "$(cut -d' ' -f2 "$failure")" = "$(wanted)" ] &&
        [ -n "$(find "$failure" -mmin -60)" ]
}

# Says why the last build failed; its status is the build's.
report_failure() {
    local status hash reason
    read -r status hash reason <"$failure"
    if [ "$status" = 77 ]; then
        say "the Debian 13 root cannot be built: $reason; the tests on KWin 6 and GNOME Shell 48 are skipped"
    else
        say "building the Debian 13 root failed: $reason; the end of $log:"
        tail -n 20 "$log" >&2
    fi
    return "$status"
}

command_build() {
    local background=false
    [ "${1:-}" = --background ] && background=true
    if [ "$(id -u)" != 0 ]; then
        say "the Debian 13 root needs root (mmdebstrap, chroot); the tests on KWin 6 and GNOME Shell 48 are skipped"
        return 77
    fi
    if ! command -v mmdebstrap >/dev/null; then
        say "mmdebstrap is missing: tools/install-deps.sh tests installs it"
        return 1
    fi
    mkdir -p "$cache"
    exec 8>"$cache/build.lock"
    if $background; then
        current && return 0
        # The build lock goes with the descriptor to the build, which
        # outlives this call: a later `build` waits on it.
        flock 8
        setsid -f "$self" build-locked </dev/null >/dev/null 2>&1
        return 0
    fi
    flock 8
    current && return 0
    if ! recent_failure; then
        build_locked && return 0
    fi
    report_failure
}

command_run() {
    local binds=()
    while [ $# -gt 0 ]; do
        case $1 in
            --bind) binds+=("$2"); shift 2 ;;
            --bind=*) binds+=("${1#--bind=}"); shift ;;
            --) shift; break ;;
            *) break ;;
        esac
    done
    [ $# -gt 0 ] || { say "run: no command"; return 125; }
    if ! current; then
        say "the Debian 13 root is not built (tools/test-root.sh build)"
        return 125
    fi
    # Held until COMMAND and all it leaves behind end: a rebuild never
    # removes a root under a running test.
    exec 7<"$root/.walkers-in-use"
    flock -s 7
    # A mount namespace of its own: whatever is mounted below goes away
    # with its last process, however it ends, and never shows outside, so
    # any number of runs can share the root.
    exec unshare --mount --propagation private -- "$self" enter "${binds[@]/#/--bind=}" -- "$@"
}

# Inside the new mount namespace.
command_enter() {
    local binds=(/tmp)
    while [ $# -gt 0 ]; do
        case $1 in
            --bind=*) binds+=("${1#--bind=}"); shift ;;
            --) shift; break ;;
            *) break ;;
        esac
    done
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --bind /dev "$root/dev"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$root/dev/pts"
    mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
    [ -d /dev/shm ] && mount --bind /dev/shm "$root/dev/shm"
    # GNOME Shell 48 ends at once without it.
    mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
    local dir
    for dir in "${binds[@]}"; do
        dir=$(realpath "$dir")
        mkdir -p "$root$dir"
        mount --bind "$dir" "$root$dir"
    done
    exec chroot "$root" /bin/sh -c 'cd "$1" 2>/dev/null || cd /; shift; exec "$@"' sh "$PWD" "$@"
}

main() {
    case ${1:-} in
        build) shift; command_build "$@" ;;
        build-locked) build_locked || report_failure ;;
        path) current && echo "$root" ;;
        report) current || { [ -f "$failure" ] && report_failure; } || true ;;
        run) shift; command_run "$@" ;;
        enter) shift; command_enter "$@" ;;
        *) say "usage: $0 build [--background] | path | report | run [--bind DIR]... -- COMMAND..."
           return 2 ;;
    esac
}

# One line, read whole before it runs: a build takes minutes, and the file
# may change under it meanwhile (a checkout).
main "$@"; exit $?
