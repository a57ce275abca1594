#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, then the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short run of each fuzz target.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
jobs=$(nproc)

"$here/scripts/setup.sh" "$here/build"
(cd "$here/build" && ctest --output-on-failure -j"$jobs" --timeout 600)

if [ "${RT570_SKIP_SANITIZERS:-0}" != "1" ]; then
    "$here/scripts/setup.sh" "$here/build-asan" -DRT570_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    (cd "$here/build-asan" &&
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        LSAN_OPTIONS=suppressions="$here/tests/lsan.supp" UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --output-on-failure -j"$jobs" --timeout 900)
fi

if [ -x "$here/fuzz/run.sh" ] && [ "${RT570_SKIP_FUZZ:-0}" != "1" ]; then
    "$here/fuzz/run.sh" 20
fi
