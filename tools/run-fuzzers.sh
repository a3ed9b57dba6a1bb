#!/bin/bash
# Runs every libFuzzer target of the fuzz build for SECONDS each, two at a
# time, starting from the seed corpus kept in tests/fuzz/corpus. New inputs
# go to a scratch corpus (kept with --keep, to look at or to add to the
# seeds); a crash leaves its input in the scratch directory and fails.
#
#   tools/run-fuzzers.sh [BUILD_DIR] [SECONDS] [--keep]  (default: build-fuzz 30)
#
# `make test` runs them for 20 seconds each; a longer campaign, an hour each:
#   make fuzz && tools/run-fuzzers.sh build-fuzz 3600 --keep
set -u
build=$(realpath "${1:-build-fuzz}")
seconds=${2:-30}
keep=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)
seeds=$here/tests/fuzz/corpus
scratch=$(mktemp -d /tmp/walkers-fuzz.XXXXXX)
fuzzers="number_text bmp24 x11_property region sway_ipc sway_tree hyprland_reply"

run() {
    local name=$1
    local program=$build/tests/fuzz/${name}_fuzzer
    mkdir -p "$scratch/$name"
    # The scratch corpus first: libFuzzer adds what it finds to the first
    # directory only, so the seeds in the tree stay as they are.
    (cd "$scratch/$name" && "$program" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$scratch/$name/" "$scratch/$name" "$seeds/$name" \
        >"$scratch/$name.log" 2>&1)
    echo $? >"$scratch/$name.status"
}

for name in $fuzzers; do
    [ -x "$build/tests/fuzz/${name}_fuzzer" ] || {
        echo "run-fuzzers: $build/tests/fuzz/${name}_fuzzer is missing; run make fuzz" >&2
        exit 2
    }
done

set -- $fuzzers
while [ $# -gt 0 ]; do
    run "$1" &
    if [ $# -gt 1 ]; then
        run "$2" &
        shift
    fi
    shift
    wait
done

failed=0
for name in $fuzzers; do
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$scratch/$name.log" | awk '{print $2}')
    found=$(ls "$scratch/$name" | wc -l)
    status=$(cat "$scratch/$name.status")
    printf 'fuzz %-14s %10s executions in %ss, corpus now %s inputs, status %s\n' \
        "$name" "${runs:-?}" "$seconds" "$found" "$status"
    if [ "$status" -ne 0 ]; then
        failed=1
        grep -E -A30 'ERROR|runtime error|deadly signal' "$scratch/$name.log" | head -40
        ls "$scratch/$name"/crash-* "$scratch/$name"/leak-* "$scratch/$name"/timeout-* 2>/dev/null
    fi
done
if [ "$failed" -ne 0 ] || [ -n "$keep" ]; then
    echo "run-fuzzers: logs and corpora in $scratch"
else
    rm -rf "$scratch"
fi
exit $failed
