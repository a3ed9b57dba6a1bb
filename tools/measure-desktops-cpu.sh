#!/bin/bash
# walkers' cost on the Linux desktops in one run, so that the figures are
# taken under the same load on a shared machine: X11 (measure-x11-cpu.sh,
# next to xpenguins), sway (measure-wayland-cpu.sh), KWin
# (measure-kwin-cpu.sh) and GNOME Shell (measure-gnome-cpu.sh), with the
# load average before, between and after.
#
#   tools/measure-desktops-cpu.sh [path/to/walkers [path/to/older/walkers]]
#   (default build-release/app/walkers; an older build is measured on
#   X11 and Wayland beside it, see measure-x11-cpu.sh and
#   measure-wayland-cpu.sh's WALKERS_BEFORE)
set -euo pipefail

dir=$(cd "$(dirname "$0")" && pwd)
walkers=$(realpath "${1:-$dir/../build-release/app/walkers}")
[ -z "${2:-}" ] || export WALKERS_BEFORE=$2
load() { echo "load average $1: $(cut -d' ' -f1-3 /proc/loadavg)"; }

load "at the start"
echo "=== X11 (Xvfb, openbox)"
"$dir/measure-x11-cpu.sh" "$walkers" ${2:+"$2"}
load "between"
echo "=== Wayland (headless sway)"
"$dir/measure-wayland-cpu.sh" "$walkers"
unset WALKERS_BEFORE
load "between"
echo "=== KDE Plasma (headless KWin)"
"$dir/measure-kwin-cpu.sh" "$walkers"
load "between"
echo "=== GNOME (headless GNOME Shell)"
"$dir/measure-gnome-cpu.sh" "$walkers"
load "at the end"
