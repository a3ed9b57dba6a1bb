#!/bin/sh
# Runs one Windows test program under Wine on a display of its own.
#   run_wine_test.sh PREFIX PROGRAM [ARGUMENTS...]
set -eu
. "$(dirname "$0")/wine_session.sh"

prefix=$1
program=$2
shift 2
[ -f "$program" ] || skip "$program is not built (make windows)"
wine_session_start "$prefix"

started=$(now_ms)
status=0
timeout 300 wine "$program" "$@" || status=$?
echo "wine: $(basename "$program") took $(seconds_since "$started") s, status $status"
exit "$status"
