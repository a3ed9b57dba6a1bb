#!/bin/sh
# Makes the portable zip and, when MAKENSIS is given, the installer from the
# program, the licence and the read-me, gathered in STAGE. Every file
# carries the time in EPOCH_FILE, the zip's times are written in UTC and its
# members in a fixed order, so one commit always gives the same bytes.
#   make_release_files.sh STAGE EPOCH_FILE ZIP SETUP MAKENSIS SCRIPT.nsi
#                         PROGRAM LICENCE README [-DNAME=VALUE...]
set -eu
stage=$1
epoch=$(cat "$2")
zip=$3
setup=$4
makensis=$5
script=$6
shift 6
rm -rf "$stage"
mkdir -p "$stage"
for file in "$1" "$2" "$3"; do
    cp "$file" "$stage/"
done
shift 3
chmod 644 "$stage"/*
touch -d "@$epoch" "$stage"/*

rm -f "$zip"
(cd "$stage" && TZ=UTC zip -X -9 -q "$zip" walkers.exe LICENSE.txt README.txt)

[ -n "$makensis" ] || exit 0
rm -f "$setup"
SOURCE_DATE_EPOCH=$epoch "$makensis" -V2 -WX -NOCD "-DFILES=$stage" "-DOUTFILE=$setup" "$@" "$script"
