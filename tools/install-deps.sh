#!/bin/sh
# Installs the Debian packages walkers needs that are missing. Quick when all
# are there: it asks apt only when dpkg lacks something.
#
#   tools/install-deps.sh [run] [tests] [windows]
#
# run: building and running (debian-packages-run.txt); tests: what the tests
# add (debian-packages.txt); windows: the cross build and Wine
# (debian-packages-windows.txt). No argument: all three.
set -eu
dir=$(dirname "$0")
[ $# -gt 0 ] || set -- run tests windows
lists=""
for name in "$@"; do
    case $name in
        run) lists="$lists $dir/debian-packages-run.txt" ;;
        tests) lists="$lists $dir/debian-packages.txt" ;;
        windows) lists="$lists $dir/debian-packages-windows.txt" ;;
        *) echo "install-deps: no package list named '$name' (run, tests, windows)" >&2; exit 2 ;;
    esac
done
missing=""
for pkg in $(cat $lists | grep -v '^#' | sort -u); do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing="$missing $pkg"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
sudo=""
[ "$(id -u)" = 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# Another apt may hold the lock for a while: wait for it rather than fail.
$sudo apt-get -o DPkg::Lock::Timeout=600 update -q
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q $missing
