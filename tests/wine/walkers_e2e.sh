#!/bin/sh
# walkers.exe under Wine, end to end, judged from screenshots as a person
# would judge it: with Wine's notepad in front, figures (brown bodies, grey
# caps, never pure black) stand just above notepad's top edge and nowhere
# else; they follow notepad when it moves; a click between them reaches
# notepad; with walkers' own window in front they stand still, and a click
# on one ends the program with status 0.
#   walkers_e2e.sh PREFIX WALKERS_EXE SCREEN_PROBE OUTPUT_DIR
# The screenshots stay in OUTPUT_DIR for a look after a failure.
set -eu
. "$(dirname "$0")/wine_session.sh"

prefix=$1
program=$2
probe=$3
out=$4
[ -f "$program" ] || skip "$program is not built (make windows)"
. "$(dirname "$0")/walkers_on_notepad.sh"

wine_session_start "$prefix"
started=$(now_ms)
open_notepad
start_walkers "$program"
figures_on_title

# --- Notepad moves; the figures go with it.
xdotool windowmove --sync "$notepad" 300 560
sleep 1.5
screenshot "$out/moved.xwd"
echo "with notepad moved to 300,560:"
judge "$out/moved.xwd"
[ "$(value band_brown)" -ge 200 ] || fail "the figures did not follow notepad"
[ "$(value outside_brown)" -eq 0 ] || fail "figures stayed behind, or show elsewhere"

# still SHOT: whether the figures stand still over the next 0.3 s, taking
# a screenshot to SHOT (the pointer is out of the pictures).
still()
{
    screenshot "$out/still.xwd"
    sleep 0.3
    screenshot "$1"
    cmp -s "$out/still.xwd" "$1"
}

# in_front WINDOW: brings the window to the front, as clicking its frame
# would. Wine takes notice only when the X focus moves, so it goes to
# notepad first.
in_front()
{
    xdotool windowactivate --sync "$notepad"
    xdotool windowactivate --sync "$1"
    sleep 0.5
}

# --- With its own window in front the figures stand still.
walkers_window=$(xdotool search --onlyvisible --name '^Form1$')
in_front "$walkers_window"
still "$out/frozen.xwd" || fail "the figures walk while walkers' window is in front"

# --- Between the figures the screen stays the other windows': a click on
# notepad's text, under walkers' window but off its region, reaches notepad,
# which comes to the front, and the figures walk on.
eval "$(xwininfo -id "$notepad" | awk '/Absolute upper-left X/ { print "x=" $4 }
    /Absolute upper-left Y/ { print "y=" $4 }')"
xdotool mousemove $((x + 200)) $((y + 100)) click 1 mousemove 1010 760
sleep 0.5
! still "$out/walking.xwd" || fail "a click off the figures did not reach notepad"
[ ! -s "$out/status" ] || fail "a click off the figures ended walkers.exe"

# --- A click on a figure, aimed while they stand still.
in_front "$walkers_window"
still "$out/aim.xwd" || fail "the figures walk while walkers' window is in front"
echo "with walkers' window in front:"
judge "$out/aim.xwd"
target=$(value pick)
[ "$target" != none ] || fail "no figure to click"
# shellcheck disable=SC2086
xdotool mousemove $target click 1
wait_for 50 test -s "$out/status" || fail "a click on a figure at $target did not end walkers.exe"
echo "a click on a figure at $target ended walkers.exe with status $(cat "$out/status")"
[ "$(cat "$out/status")" -eq 0 ] || fail "walkers.exe ended with status $(cat "$out/status")"
echo "wine: the end-to-end run took $(seconds_since "$started") s after the session started"
