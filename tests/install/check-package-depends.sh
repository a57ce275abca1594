#!/bin/sh
# check-package-depends.sh BUILD WORK: the Debian package that cpack makes from BUILD (into
# WORK) depends on Qt SQL's SQLite driver, a plugin Qt loads at run time that the scan of the
# programs' libraries cannot see, and on the libraries that scan finds (Qt's core library, and
# the chart and SVG libraries of rt570-figures). Skips (77) when cpack, dpkg-deb or
# dpkg-shlibdeps is missing.
set -eu
build=$1
work=$2
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: not checked"; exit 77; }
done
rm -rf "$work"
mkdir -p "$work"
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
deb=$(ls "$work"/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# One package name a line, without its version.
names=$(printf '%s\n' "$depends" | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//')
for wanted in libqt6sql6-sqlite libqt6core6 libqt6charts6 libqt6svg6; do
    printf '%s\n' "$names" | grep -qx "$wanted" || { echo "Depends does not name $wanted"; exit 1; }
done
rm -rf "$work"
