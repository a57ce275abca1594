#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds (default 60).
# New inputs go to fuzz-out/<target>/; crashes stop the run and are left in fuzz-out/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$here/build-fuzz"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DRT570_FUZZ=ON -DRT570_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_reply fuzz_nodelist fuzz_numbertext fuzz_datecode
for target in reply nodelist numbertext datecode; do
    out="$here/fuzz-out/$target"
    mkdir -p "$out"
    echo "fuzz_$target: ${seconds}s"
    (cd "$out" && "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        "$out" "$here/fuzz/corpus/$target" 2>&1 | grep -E '^(stat::number_of_executed_units|stat::peak_rss|==|SUMMARY)' || true)
    if ls "$out"/crash-* "$out"/leak-* "$out"/timeout-* >/dev/null 2>&1; then
        echo "fuzz_$target found a fault: see $out" >&2
        exit 1
    fi
done
