#!/bin/sh
# check-install.sh BUILD EXPECTED WORK: "cmake --install BUILD" into the empty prefix WORK/prefix
# installs exactly the files listed in EXPECTED (paths under the prefix, one a line), the
# programs executable and nothing else.
set -eu
build=$1
expected=$2
prefix=$3/prefix
rm -rf "$prefix"
mkdir -p "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

cd "$prefix"
actual=$(find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(grep -v '^#' "$expected" | grep . | LC_ALL=C sort)
if [ "$actual" != "$wanted" ]; then
    echo "installed files differ from $expected (- expected, + installed):"
    printf '%s\n' "$wanted" >"$3/wanted.txt"
    printf '%s\n' "$actual" >"$3/actual.txt"
    diff -u "$3/wanted.txt" "$3/actual.txt" | tail -n +3
    exit 1
fi
wrong=$(find . -type f \( \( -path './bin/*' ! -perm -0755 \) -o \
                          \( ! -path './bin/*' -perm /0111 \) \) -print)
if [ -n "$wrong" ]; then
    echo "wrong modes: $wrong"
    exit 1
fi
echo "$(printf '%s\n' "$actual" | wc -l) files installed as expected"
