#!/usr/bin/env bash
# Measures rt570-figures on a large store: 300 meters with a year of hourly, daily and monthly
# rows (about 2.6 million hourly rows) and a run per meter and night, the figures taken from the
# simulator's meter history. Prints the time to make the store, its size, then the window's
# times (open: the window shown with its meter list, chart and nights; a change of meter; a
# step of a day, a month, a year; the nights of a month; a reload) and its peak memory.
# Usage: bench/figures-window.sh [BUILD_DIR]   (default: build)
#   METERS=300 DAYS=365 SWITCHES=20
#   STORE=FILE   keep the store there and use it again when it exists (default: a temporary one)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
meters=${METERS:-300}
days=${DAYS:-365}
switches=${SWITCHES:-20}
if [ ! -x /usr/bin/time ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y -qq time >/dev/null
fi
cmake --build "$build" --target rt570-figures-bench >/dev/null
bench="$build/rt570-figures-bench"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
store=${STORE:-"$work/figures.db"}
if [ ! -e "$store" ]; then
    start=$(date +%s.%N)
    "$bench" make "$store" "$meters" "$days" 2>/dev/null
    printf 'store: %d meters, %d days, made in %.1f s, %d MB\n' "$meters" "$days" \
        "$(echo "$(date +%s.%N) - $start" | bc)" "$(($(stat -c %s "$store") / 1000000))"
fi
/usr/bin/time -f '%M' -o "$work/peak" "$bench" time "$store" "$switches" 2>/dev/null |
    column -t -s "$(printf '\t')"
echo "peak memory: $(($(cat "$work/peak") / 1024)) MB"
