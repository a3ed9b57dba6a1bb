#!/bin/sh
# walkers.exe must start on a bare Windows: it may import only DLLs that
# every Windows has, none of the compiler's runtime DLLs.
#   check_imports.sh PROGRAM
set -eu
program=$1
objdump=x86_64-w64-mingw32-objdump
[ -f "$program" ] || { echo "skipped: $program is not built (make windows)"; exit 77; }
command -v "$objdump" >/dev/null || { echo "skipped: no $objdump"; exit 77; }

imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
echo "$program imports:" $imports
[ -n "$imports" ] || { echo "FAILED: no import table found"; exit 1; }
status=0
for dll in $imports; do
    case $(echo "$dll" | tr '[:upper:]' '[:lower:]') in
    kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll) ;;
    *) echo "FAILED: $dll is not one of the Windows DLLs walkers may need"; status=1 ;;
    esac
done
exit "$status"
