#!/usr/bin/env bash
# Builds the Debian package rt570_VERSION_ARCH.deb from the source tree: configures a fresh
# build folder (default build-package/) without the tests and with Debian's build flags
# (hardening, optimisation), builds, and packs it with cpack. Prints the package's path.
# Needs what scripts/setup.sh installs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$here/build-package"}

for tool in cmake cpack dpkg-buildflags dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null ||
        { echo "package.sh: $tool is missing; run scripts/setup.sh first" >&2; exit 1; }
done

# Debian's flags with every hardening option; the paths inside the debug information are made
# relative to the tree.
cd "$here"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
rm -rf "$build_dir"
cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=None -DRT570_TESTS=OFF "${launcher[@]}" \
    >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/rt570_*.deb
