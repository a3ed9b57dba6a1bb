#!/bin/sh
# Builds the last commit twice, in two directories of different names,
# one after the other and under a different time zone and umask, and
# compares what `make dist` made byte for byte: the source release, the
# Debian package, the Windows zip and installer, and walkers.exe.
#   tools/check-reproducible.sh [WORK_DIR]    (about twice `make dist`)
set -eu
root=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
commit=$(git -C "$root" rev-parse HEAD) # both builds take this one
work=${1:-$(mktemp -d "${TMPDIR:-/tmp}/walkers-reproducible.XXXXXX")}
mkdir -p "$work"

build()
{
    dir=$work/$1/walkers
    rm -rf "$work/$1"
    mkdir -p "$work/$1"
    git clone -q "$root" "$dir"
    git -C "$dir" checkout -q "$commit"
    started=$(date +%s)
    (umask "$2" && TZ=$3 make -C "$dir" dist >"$work/$1.log" 2>&1) ||
        { tail -n 30 "$work/$1.log"; echo "FAILED: the build in $dir failed"; exit 1; }
    (cd "$dir" && sha256sum build-mingw/app/walkers.exe && cat build-dist/SHA256SUMS) >"$work/$1.sums"
    echo "$1: built in $(($(date +%s) - started)) s in $dir"
}

build first 022 UTC
build second-copy 002 Pacific/Auckland
echo "commit $commit:"
cat "$work/first.sums"
if diff -u "$work/first.sums" "$work/second-copy.sums"; then
    echo "passed: both builds made the same files"
else
    echo "FAILED: the builds differ (diffoscope can tell how)"
    exit 1
fi
