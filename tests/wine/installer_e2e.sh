#!/bin/sh
# The installer under Wine as a user meets it, in a fresh prefix thrown away
# afterwards: the silent install (/S) puts the program under the user's
# local programs folder, with a Start-menu shortcut, the start at sign-in
# (the Run key) and the entry in the list of installed programs; what the
# Run key starts stands on notepad's title bar; installing again over it and
# the silent uninstall end it through its window, with status 0 as a click
# would; the uninstall leaves no file, shortcut or registry key behind.
#   installer_e2e.sh SETUP_EXE VERSION SCREEN_PROBE OUTPUT_DIR
set -eu
. "$(dirname "$0")/wine_session.sh"

setup=$1
version=$2
probe=$3
out=$4
[ -f "$setup" ] || skip "$setup is not built (make windows)"
. "$(dirname "$0")/walkers_on_notepad.sh"

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\walkers'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# entry KEY NAME: the data of a registry value, as `reg query` lists it.
entry()
{
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'
}

# ended_by_its_window WHAT: walkers ended, with status 0, while WHAT ran.
ended_by_its_window()
{
    wait_for 100 test -s "$out/status" || fail "$1 did not end the running walkers"
    [ "$(cat "$out/status")" -eq 0 ] || fail "$1 ended walkers with status $(cat "$out/status")"
}

wine_session_start fresh
started=$(now_ms)
wine "$setup" /S || fail "the silent install failed"
echo "wine: the silent install took $(seconds_since "$started") s"

users=$WINEPREFIX/drive_c/users
folder=$(find "$users" -path '*/AppData/Local/Programs/walkers' -type d)
[ -n "$folder" ] || fail "nothing under the user's local programs folder"
files=$(ls "$folder" | tr '\n' ' ')
[ "$files" = "LICENSE.txt README.txt uninstall.exe walkers.exe " ] || fail "installed: $files"
[ -n "$(find "$users" -path '*/Start Menu/Programs/walkers.lnk')" ] || fail "no Start-menu shortcut"

[ "$(entry "$uninstall_key" DisplayName)" = walkers ] || fail "no installed program named walkers"
[ "$(entry "$uninstall_key" DisplayVersion)" = "$version" ] || fail "the entry's version is not $version"
[ -n "$(entry "$uninstall_key" Publisher)" ] || fail "the entry names no publisher"
entry "$uninstall_key" DisplayIcon | grep -q 'Programs\\walkers\\walkers\.exe$' ||
    fail "the entry's icon is not the program's"
entry "$uninstall_key" UninstallString | grep -q 'walkers\\uninstall\.exe"$' ||
    fail "the entry names no uninstaller"
size=$(entry "$uninstall_key" EstimatedSize)
[ "$((${size:-0}))" -gt 1000 ] || fail "the entry's size is $size KB"
program=$(entry "$run_key" walkers | tr -d '"')
case $program in
*'\Programs\walkers\walkers.exe') ;;
*) fail "the start at sign-in runs '$program'" ;;
esac

open_notepad
start_walkers "$program"
figures_on_title

wine "$setup" /S || fail "installing over a running walkers failed"
ended_by_its_window "installing over it"
[ -f "$folder/walkers.exe" ] || fail "installing over a running walkers left no program"

start_walkers "$program"
wine "$folder/uninstall.exe" /S || fail "the silent uninstall failed"
ended_by_its_window "the uninstall"
# The uninstaller runs on from a copy of itself: wait for it to finish.
wait_for 100 test ! -e "$folder" || fail "the uninstall left $(ls "$folder")"
[ -z "$(find "$users" -name 'walkers*')" ] || fail "left behind: $(find "$users" -name 'walkers*')"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall left the installed program's entry"
[ -z "$(entry "$run_key" walkers)" ] || fail "the uninstall left the start at sign-in"
echo "wine: install, run, reinstall and uninstall took $(seconds_since "$started") s"
