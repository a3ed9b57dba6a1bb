#!/bin/sh
# What a Windows user downloads, as shipped. walkers.exe must start on a
# bare Windows: it imports only DLLs that every Windows has, none of the
# compiler's runtime DLLs. Two builds of one commit must be the same file:
# no time stamp in its PE header and no build directory in its bytes. The
# zip holds exactly the program, the licence and the read-me.
#   check_release.sh PROGRAM ZIP BUILD_PATH...
set -eu
program=$1
zip=$2
shift 2
objdump=x86_64-w64-mingw32-objdump
[ -f "$program" ] || { echo "skipped: $program is not built (make windows)"; exit 77; }
command -v "$objdump" >/dev/null || { echo "skipped: no $objdump"; exit 77; }
status=0
fail()
{
    echo "FAILED: $*"
    status=1
}

imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
echo "$program imports:" $imports
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
    case $(echo "$dll" | tr '[:upper:]' '[:lower:]') in
    kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll) ;;
    *) fail "$dll is not one of the Windows DLLs walkers may need" ;;
    esac
done

# The PE header's offset is at 0x3c; its time stamp 8 bytes in.
header=$(od -An -tu4 -j 60 -N 4 "$program" | tr -d ' ')
stamp=$(od -An -tu4 -j $((header + 8)) -N 4 "$program" | tr -d ' ')
[ "$stamp" = 0 ] || fail "the PE header carries a time stamp: $(date -u -d "@$stamp")"
for path in "$@"; do
    ! grep -qaF "$path" "$program" || fail "the program holds the build path $path"
done
! "$objdump" -h "$program" | grep -q '\.debug' || fail "the program carries debug sections"

members=$(unzip -Z1 "$zip" | tr '\n' ' ')
[ "$members" = "walkers.exe LICENSE.txt README.txt " ] || fail "the zip holds: $members"
unzip -p "$zip" walkers.exe | cmp -s - "$program" || fail "the zip's walkers.exe is not the program"
[ "$status" = 0 ] && echo "passed: $(wc -c <"$program") bytes, zip $(wc -c <"$zip") bytes"
exit "$status"
