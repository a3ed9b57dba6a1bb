# Sourced by the Wine end-to-end tests once wine_session_start has run:
# Wine's notepad in front, walkers.exe on its title bar, and the figures
# judged from screenshots as a person would judge them (brown bodies, grey
# caps, never pure black, just above notepad's top edge and nowhere else).
# The caller sets `probe` (the screen probe) and `out` (where screenshots,
# walkers' exit status and the probe's answers go).
#
#   open_notepad            notepad at 200,300 in front; sets `notepad`
#   start_walkers PROGRAM   starts it, waits for its window; its exit status
#                           lands in $out/status
#   figures_on_title        the figures stand on notepad's title bar
#   judge SHOT [BEFORE]     runs the probe over the band above notepad;
#   value KEY               then reads its answers

for tool in xdotool xsetroot xwininfo; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (tools/install-deps.sh)"
done

fail()
{
    echo "FAILED: $*"
    exit 1
}

open_notepad()
{
    mkdir -p "$out"
    rm -f "$out"/*.xwd "$out"/status "$out"/probe.txt
    xsetroot -solid '#3a6ea5' # figures' black would show against it
    xdotool mousemove 1010 760 # the pointer, out of every picture
    wine notepad >/dev/null 2>&1 &
    wait_for 300 xdotool search --onlyvisible --name 'Notepad$' || fail "notepad did not open"
    notepad=$(xdotool search --onlyvisible --name 'Notepad$' | head -n 1)
    xdotool windowsize --sync "$notepad" 600 300
    xdotool windowmove --sync "$notepad" 200 300
    xdotool windowactivate --sync "$notepad"
    sleep 0.5
    screenshot "$out/before.xwd"
}

# Shown, walkers' window takes the focus and the figures wait; the caller
# gives it back to notepad, as a user would by clicking it.
start_walkers()
{
    rm -f "$out/status"
    ( status=0; wine "$1" >/dev/null 2>&1 || status=$?; echo "$status" >"$out/status" ) &
    wait_for 300 xdotool search --onlyvisible --name '^Form1$' || fail "$1 showed no window"
}

# The band the figures stand in: from 100 pixels above notepad's client
# window (which starts below the title bar) down to it, a little wider.
band()
{
    xwininfo -id "$notepad" | awk '/Absolute upper-left X/ { x = $4 }
        /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 }
        END { print x - 8, y - 100, x + w + 8, y }'
}

judge()
{
    # shellcheck disable=SC2046
    "$probe" "$1" $(band) ${2:+"$2"} >"$out/probe.txt"
    echo "  $(basename "$1"): $(tr '\n' ' ' <"$out/probe.txt")"
}

value()
{
    sed -n "s/^$1=//p" "$out/probe.txt"
}

figures_on_title()
{
    xdotool windowactivate --sync "$notepad"
    sleep 1.5
    screenshot "$out/on_title.xwd"
    echo "with notepad at 200,300:"
    judge "$out/on_title.xwd" "$out/before.xwd"
    [ "$(value band_brown)" -ge 200 ] || fail "no figure's body stands on notepad's title bar"
    [ "$(value band_caps)" -ge 20 ] || fail "the figures have no grey caps"
    [ "$(value band_black)" -eq 0 ] || fail "pure black shows: the outlines take in background"
    [ "$(value outside_brown)" -eq 0 ] || fail "figures show away from notepad's title bar"
}
