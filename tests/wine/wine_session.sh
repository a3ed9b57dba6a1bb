# Sourced by the Wine test scripts: a virtual X display of its own with a
# window manager, and the build's Wine prefix, made on first use.
#
#   wine_session_start PREFIX    exports DISPLAY, WINEPREFIX and friends;
#                                everything started stops when the script exits;
#                                PREFIX "fresh" is a new prefix, thrown away then
#   screenshot FILE              the screen as it is now, in xwd's format
#
# A test that cannot run here (no Wine, no program) exits 77: skipped.

session_dir=""
xvfb_pid=""
screen_file=""
openbox_pid=""

skip()
{
    echo "skipped: $*"
    exit 77
}

seconds_since()
{
    echo "$(( $(date +%s%N) / 1000000 - $1 ))" | awk '{ printf "%.1f", $1 / 1000 }'
}

now_ms()
{
    echo $(( $(date +%s%N) / 1000000 ))
}

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for()
{
    tries=$1
    shift
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

wine_session_stop()
{
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    [ -z "$openbox_pid" ] || kill "$openbox_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    [ -z "$session_dir" ] || rm -rf "$session_dir"
}

screenshot()
{
    cp "$screen_file" "$1"
}

has_window_manager()
{
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

wine_session_start()
{
    for tool in wine wineboot wineserver Xvfb openbox xprop; do
        command -v "$tool" >/dev/null || skip "$tool is not installed (tools/install-deps.sh)"
    done
    session_dir=$(mktemp -d)
    trap wine_session_stop EXIT
    trap 'exit 130' INT TERM

    # -displayfd picks a free display and says which once it is ready;
    # -fbdir keeps the screen's pixels in a file, a screenshot to copy.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -fbdir "$session_dir" -nolisten tcp \
        3>"$session_dir/display" 2>"$session_dir/xvfb.log" &
    xvfb_pid=$!
    wait_for 100 test -s "$session_dir/display" || { cat "$session_dir/xvfb.log"; exit 1; }
    DISPLAY=":$(head -n 1 "$session_dir/display")"
    screen_file="$session_dir/Xvfb_screen0"
    export DISPLAY
    openbox --sm-disable >"$session_dir/openbox.log" 2>&1 &
    openbox_pid=$!
    wait_for 100 has_window_manager || { echo "openbox did not start"; exit 1; }

    WINEPREFIX=$1
    [ "$WINEPREFIX" != fresh ] || WINEPREFIX=$session_dir/wine-prefix
    case $WINEPREFIX in # it is removed and made anew when unfinished
    /*/wine-prefix) ;;
    *) echo "the Wine prefix must be an absolute path ending in /wine-prefix"; exit 1 ;;
    esac
    WINEDEBUG=-all
    WINEARCH=win64
    WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer dialogs
    export WINEPREFIX WINEDEBUG WINEARCH WINEDLLOVERRIDES
    if [ -d "$WINEPREFIX" ]; then # a run cut short may have left Wine on its display
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    if [ ! -f "$WINEPREFIX/.walkers-ready" ]; then
        made=$(now_ms)
        rm -rf "$WINEPREFIX"
        log="$session_dir/wineboot.log"
        timeout 300 wineboot -i >"$log" 2>&1 || { cat "$log"; echo "wineboot failed"; exit 1; }
        # A crashing test reports and ends; no dialog waits for a click.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >>"$log" 2>&1 || { cat "$log"; echo "could not turn Wine's crash dialog off"; exit 1; }
        wineserver -w
        touch "$WINEPREFIX/.walkers-ready"
        echo "wine: made the prefix $WINEPREFIX in $(seconds_since "$made") s"
    fi
}
