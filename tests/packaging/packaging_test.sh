#!/bin/bash
# Checks of walkers as users and distributions receive it:
#
#   packaging_test.sh metadata SOURCE_DIR BUILD_DIR VERSION
#       the desktop entries, the AppStream file and the man page pass their
#       validators without a single remark, and agree on the id and version
#   packaging_test.sh install BUILD_DIR
#       an install into a temporary DESTDIR holds every file, and the
#       installed program runs on a virtual display and ends by --stop
#   packaging_test.sh deb PACKAGE_BUILD_DIR VERSION
#       the Debian package holds the same files, is hardened, stripped and
#       depends on its libraries, and lintian finds nothing (skipped, status
#       77, only when lintian is missing)
set -euo pipefail

app_id=io.github.walkers.walkers
fail=0
problem() { echo "FAIL: $*" >&2; fail=1; }

# What every install holds, below the prefix; BIN and MAN vary by layout.
expected_files() {
    local bin=$1 man=$2
    shift 2
    printf '%s\n' "$bin/walkers" \
        "share/applications/$app_id.desktop" \
        "share/metainfo/$app_id.metainfo.xml" \
        "share/walkers/walkers-autostart.desktop" \
        "share/gnome-shell/extensions/walkers@walkers.github.io/extension.js" \
        "share/gnome-shell/extensions/walkers@walkers.github.io/metadata.json" \
        "share/man/man6/$man" "$@"
    for size in 16 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    done
}

# Says when a command printed anything at all.
quiet() {
    local what=$1 out
    shift
    out=$("$@" 2>&1) || problem "$what failed: $out"
    [ -z "$out" ] || problem "$what says: $out"
}

metadata() {
    local source=$1 build=$2 version=$3 data=$1/packaging
    quiet "desktop-file-validate on the menu entry" desktop-file-validate "$data/$app_id.desktop"
    quiet "desktop-file-validate on the autostart template" \
        desktop-file-validate "$data/walkers-autostart.desktop"
    # It always closes with one line of success; anything else is a remark.
    local out
    out=$(appstreamcli validate --no-net --pedantic --no-color "$data/$app_id.metainfo.xml" 2>&1) ||
        problem "appstreamcli refuses the metainfo: $out"
    out=$(grep -v -e '^✔ Validation was successful\.$' -e '^$' <<<"$out" || true)
    [ -z "$out" ] || problem "appstreamcli says: $out"
    # The page itself goes to standard output; groff's warnings to error.
    out=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$build/packaging/walkers.6" 2>&1 >/dev/null) ||
        problem "man cannot show the page: $out"
    [ -z "$out" ] || problem "man --warnings says: $out"
    grep -q '^\.TH WALKERS 6 .*"walkers '"$version"'"' "$build/packaging/walkers.6" ||
        problem "the man page does not carry version $version"

    grep -q "<release version=\"$version\"" "$data/$app_id.metainfo.xml" ||
        problem "the metainfo lists no release $version"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
        "$data/$app_id.metainfo.xml" || problem "the metainfo launches no $app_id.desktop"
    grep -qx "Icon=$app_id" "$data/$app_id.desktop" || problem "the menu entry shows no $app_id icon"
    grep -qx "Exec=walkers --stop" "$data/$app_id.desktop" || problem "no Stop action"
    grep -qx "Categories=Game;Amusement;" "$data/$app_id.desktop" || problem "wrong categories"
    grep -q "MIT License" "$source/LICENSE" || problem "no MIT licence"
}

# Starts Xvfb on a display it picks itself; sets DISPLAY and xvfb_pid.
start_display() {
    local dir=$1
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$dir/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$dir/display" ] && break
        sleep 0.1
    done
    [ -s "$dir/display" ] || { echo "no virtual X server" >&2; exit 1; }
    export DISPLAY=:$(head -n1 "$dir/display")
    # Under load a new server may still turn a client away for a moment:
    # walkers starts once a client of ours gets in.
    for _ in $(seq 100); do
        xprop -root >/dev/null 2>&1 && return
        sleep 0.1
    done
    echo "the virtual X server on $DISPLAY takes no clients" >&2
    exit 1
}

install_check() {
    local build=$1
    dir=$(mktemp -d "${TMPDIR:-/tmp}/walkers-install.XXXXXX")
    trap 'kill $walkers_pid $xvfb_pid 2>/dev/null || true; rm -rf "$dir"' EXIT
    walkers_pid="" xvfb_pid=""
    DESTDIR="$dir/root" cmake --install "$build" --prefix /opt/walkers >"$dir/install.log"
    (cd "$dir/root/opt/walkers" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$dir/found"
    expected_files bin walkers.6 share/doc/walkers/LICENSE | sort >"$dir/expected"
    diff -u "$dir/expected" "$dir/found" >&2 || problem "the install holds other files"
    [ -x "$dir/root/opt/walkers/bin/walkers" ] || problem "the program is not executable"

    start_display "$dir"
    local walkers=$dir/root/opt/walkers/bin/walkers
    "$walkers" >"$dir/walkers.log" 2>&1 &
    walkers_pid=$!
    local stopped=""
    for _ in $(seq 150); do
        kill -0 "$walkers_pid" 2>/dev/null || break
        # Once its window is shown, --stop ends it.
        if "$walkers" --stop 2>/dev/null; then
            stopped=yes
            break
        fi
        sleep 0.1
    done
    [ -n "$stopped" ] || problem "the installed walkers did not run until --stop: $(cat "$dir/walkers.log")"
    local status=0
    wait "$walkers_pid" || status=$?
    walkers_pid=""
    [ "$status" = 0 ] || problem "the installed walkers ended with status $status: $(cat "$dir/walkers.log")"
}

deb_check() {
    local build=$1 version=$2 deb
    deb=$build/walkers_${version}_amd64.deb
    [ -f "$deb" ] || { echo "FAIL: no $deb (make package)" >&2; exit 1; }
    dir=$(mktemp -d "${TMPDIR:-/tmp}/walkers-deb.XXXXXX")
    trap 'rm -rf "$dir"' EXIT

    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | sort >"$dir/found"
    expected_files games walkers.6.gz share/doc/walkers/copyright share/doc/walkers/changelog.gz |
        sort >"$dir/expected"
    diff -u "$dir/expected" "$dir/found" >&2 || problem "the package holds other files"
    dpkg-deb -c "$deb" | awk '$2 != "root/root" {print}' | grep . &&
        problem "files not owned by root"

    [ "$(dpkg-deb -f "$deb" Section)" = games ] || problem "section is not games"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || problem "version is not $version"
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libc6 libxcb1 libxcb-shape0 libxcb-randr0 libpixman-1-0 libstdc++6; do
        grep -q "$library" <<<"$depends" || problem "Depends lacks $library: $depends"
    done
    # The X11 backend speaks to the server through xcb alone.
    grep -q 'libx11-6' <<<"$depends" && problem "Depends still names Xlib: $depends"

    dpkg-deb -x "$deb" "$dir/root"
    local program=$dir/root/usr/games/walkers
    # Read whole first: grep -q ending a pipe early would fail it (pipefail).
    local kind dynamic segments header symbols
    kind=$(file "$program")
    dynamic=$(readelf -d "$program")
    segments=$(readelf -l "$program")
    header=$(readelf -h "$program")
    symbols=$(readelf -W --dyn-syms "$program")
    grep -q ', stripped' <<<"$kind" || problem "the program is not stripped"
    grep -q 'FLAGS.*BIND_NOW' <<<"$dynamic" || problem "not linked with -z now"
    grep -q GNU_RELRO <<<"$segments" || problem "no RELRO"
    grep -q 'DYN (Position-Independent' <<<"$header" || problem "not position-independent"
    [ "$(grep -v __stack_chk <<<"$symbols" | grep -c '__[a-z]*_chk@')" -gt 0 ] ||
        problem "not built with _FORTIFY_SOURCE"
    grep -q '__stack_chk_fail@' <<<"$symbols" || problem "no stack protector"

    if ! command -v lintian >/dev/null; then
        echo "SKIPPED: lintian is not installed, so the package was not checked by it" >&2
        [ "$fail" = 0 ] && exit 77
        exit 1
    fi
    local out
    out=$(lintian --fail-on none "$deb" 2>&1) || true
    out=$(grep -E '^(E|W): ' <<<"$out" || true)
    [ -z "$out" ] || problem "lintian says: $out"
}

case ${1:-} in
    metadata) metadata "$2" "$3" "$4" ;;
    install) install_check "$2" ;;
    deb) deb_check "$2" "$3" ;;
    *) echo "usage: $0 metadata|install|deb ..." >&2; exit 2 ;;
esac
[ "$fail" = 0 ] && echo "passed"
exit "$fail"
