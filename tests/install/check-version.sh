#!/bin/sh
# check-version.sh PROGRAM LINE: "PROGRAM --version" prints exactly LINE and exits 0, with no
# display at hand (the window's --version must not need one).
set -eu
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" --version) ||
    { echo "$1 --version: exit status $?"; exit 1; }
[ "$out" = "$2" ] && exit 0
echo "$1 --version printed '$out', not '$2'"
exit 1
