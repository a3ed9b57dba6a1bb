#!/bin/bash
# Runs walkers. With a desktop (WAYLAND_DISPLAY or DISPLAY set) it simply
# starts there. Without one it brings up a virtual desktop (Xvfb with openbox and two sample
# windows that move, change their titles and take turns in front), runs the
# program there for about 15 seconds, records what the screen shows and
# writes an animated GIF, whose path it prints.
#
#   tools/run-walkers.sh path/to/walkers [seconds]
#
# WALKERS_GIF chooses where the GIF goes.
set -euo pipefail

walkers=${1:?usage: $0 path/to/walkers [seconds]}
seconds=${2:-15}

if [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${DISPLAY:-}" ]; then
    exec "$walkers"
fi

for tool in Xvfb openbox xdotool xprop xsetroot xlogo xmessage import convert; do
    command -v "$tool" >/dev/null || { echo "run-walkers: $tool is missing (make deps)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/walkers-run.XXXXXX")
gif=${WALKERS_GIF:-$work/walkers.gif}
pids=()
cleanup() {
    local pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work/frames"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The server picks a free display number itself and writes it when ready.
width=800
height=480
Xvfb -displayfd 5 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset \
    5>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "run-walkers: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

xsetroot -solid '#3a5470'
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
# openbox names its check window early and settles a moment later.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
sleep 1
xlogo -geometry 360x200+60+220 -bg '#e8e4d8' -fg '#6a7a8a' >/dev/null 2>&1 &
pids+=($!)
first=""
for _ in $(seq 100); do
    first=$(xdotool search --sync --onlyvisible --class xlogo 2>/dev/null | head -n1) && [ -n "$first" ] && break
    sleep 0.1
done
xmessage -geometry 330x120+430+110 -bg '#dfe8f0' -title "notes" \
    "The figures walk on the window in front." >/dev/null 2>&1 &
pids+=($!)
second=""
for _ in $(seq 100); do
    second=$(xdotool search --onlyvisible --class xmessage 2>/dev/null | head -n1) && [ -n "$second" ] && break
    sleep 0.1
done
[ -n "$first" ] && [ -n "$second" ] || { echo "run-walkers: sample windows did not appear" >&2; exit 1; }
xdotool set_window --name "a sample window" "$first" windowactivate --sync "$first"

"$walkers" >"$work/walkers.log" 2>&1 &
walkers_pid=$!
pids+=($walkers_pid)

# The script of the show: every few seconds something happens, while the
# frames are taken.
mkdir -p "$work/frames"
frame=0
start=$(date +%s%N)
event=0
while :; do
    now=$(( ($(date +%s%N) - start) / 1000000 ))
    (( now >= seconds * 1000 )) && break
    kill -0 "$walkers_pid" 2>/dev/null || { echo "run-walkers: walkers ended early" >&2; cat "$work/walkers.log" >&2; exit 1; }
    step=$(( now / 2500 ))
    if (( step > event )); then
        event=$step
        case $event in
            1) xdotool windowmove "$first" 120 260 ;;
            2) xdotool windowactivate "$second" ;;
            3) xdotool set_window --name "renamed" "$second" windowmove "$second" 380 200 ;;
            4) xdotool windowactivate "$first" windowmove "$first" 300 180 ;;
            5) xdotool set_window --name "a sample window, renamed" "$first" ;;
        esac
    fi
    import -silent -window root "$work/frames/$(printf '%04d' $frame).png"
    frame=$((frame + 1))
    # Ten frames a second.
    left=$(( frame * 100 - ($(date +%s%N) - start) / 1000000 ))
    (( left > 0 )) && sleep "0.$(printf '%03d' "$left")"
done

kill "$walkers_pid" 2>/dev/null || true
# Played back at the pace the frames were taken.
delay=$(( seconds * 100 / (frame > 0 ? frame : 1) ))
# In the background, so that a signal meanwhile still cleans up at once.
convert -delay "$delay" -loop 0 "$work"/frames/*.png -layers Optimize "$gif" &
pids+=($!)
wait $!
echo "$gif"
