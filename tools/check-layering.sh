#!/bin/sh
# Dependencies run one way: app -> rgn -> forms -> platform, and inside the
# platform: backends -> toolkit -> the project's user32 and gdi32. A file
# may include, and a CMake target may link, only what lies at its own level
# or below. Prints each breach and fails if there is one.
set -eu
root=${1:-$(dirname "$0")/..}
cd "$root"

# The level of a path in the tree; nothing for paths outside the chain.
level() {
    case "$1" in
    app/*) echo 5 ;;
    rgn/*) echo 4 ;;
    forms/*) echo 3 ;;
    platform/toolkit/*) echo 1 ;;
    platform/user32_gdi32/* | platform/winapi.h) echo 0 ;;
    platform/*) echo 2 ;;
    *) echo "" ;;
    esac
}

breaches=0
breach() {
    echo "layering: $1"
    breaches=$((breaches + 1))
}

# Includes.
for file in $(find app rgn forms platform -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.rc' \)); do
    from=$(level "$file")
    for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
        to=$(level "$included")
        [ -n "$to" ] || continue
        [ "$to" -le "$from" ] || breach "$file includes $included"
    done
done

# Links: each target takes the level of the folder that defines it.
targets=$(mktemp)
trap 'rm -f "$targets"' EXIT
for list in $(find app rgn forms platform -name CMakeLists.txt); do
    dir=$(dirname "$list")
    sed -n 's/^[[:space:]]*add_\(library\|executable\)(\([A-Za-z0-9_]*\).*/\2/p' "$list" |
        while read -r target; do echo "$target $(level "$dir/x")"; done
done >"$targets"
for list in $(find app rgn forms platform -name CMakeLists.txt); do
    from=$(level "$(dirname "$list")/x")
    # target_link_libraries calls may span lines: join each call into one.
    tr '\n' ' ' <"$list" | grep -o 'target_link_libraries([^)]*)' |
        sed 's/target_link_libraries(//; s/)//' | while read -r target linked; do
            for name in $linked; do
                to=$(awk -v n="$name" '$1 == n { print $2 }' "$targets")
                [ -n "$to" ] || continue
                [ "$to" -le "$from" ] || echo "layering: $list: $target links $name"
            done
        done
done >"$targets.links"
if [ -s "$targets.links" ]; then
    cat "$targets.links"
    breaches=$((breaches + $(wc -l <"$targets.links")))
fi
rm -f "$targets.links"

[ "$breaches" -eq 0 ] && echo "layering: every include and link runs downwards"
[ "$breaches" -eq 0 ]
