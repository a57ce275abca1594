#!/usr/bin/env bash
# Measures rt570-cli against the simulator on a pseudo-terminal, next to the protocol's own
# speed limit. Usage: bench/run.sh [BUILD_DIR]   (default: build)
#   BAUD=9600 bench/run.sh    lets the simulator pace its replies at that rate (default 0: none)
#   SILENT=0 bench/run.sh     leaves out the silent request (it takes 34 s)
#   COLLECT=0 bench/run.sh    leaves out `collect` over the modem bank (bench/collect.sh, 45 s)
# For each step: frames sent, wall time, floor, ratio wall/floor, and where the time beyond the
# floor went: late_s (reads that returned after their time-out), meter_s (the meter's delay in
# answering), other_s (time outside the reads: frames, report lines, the report's flush to disk);
# for the run the step belongs to: CPU time, CPU share of the run's wall time, peak memory. The floor of a step is the
# flush read time-outs of its attempts (70 ms before a parameter request, 30 ms before any other)
# plus, when the simulator paces its replies, the reply bytes at the line rate.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
baud=${BAUD:-0}
silent=${SILENT:-1}
collect=${COLLECT:-1}
# shellcheck source=bench/tools.sh
. "$here/bench/tools.sh"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/arc"

wait_for_link() {
    for _ in $(seq 100); do
        [ -e "$1" ] && return 0
        sleep 0.05
    done
    echo "no terminal at $1" >&2
    exit 1
}

"$sim" --seed 570 --baud "$baud" --link "$work/com3" >/dev/null 2>&1 &
pids+=($!)
wait_for_link "$work/com3"

hour_day=$(date -d yesterday +%F)
month_day=$(date -d "$(date +%Y-%m-15) -1 month" +%F)

printf 'rt570-cli %s, simulator seed 570, --baud %s, %s\n' "$(git -C "$here" rev-parse --short HEAD 2>/dev/null || echo '?')" "$baud" "$(date '+%F %T')"
printf '%-14s %8s %9s %9s %7s %8s %8s %8s %7s %7s %8s\n' step frames wall_s floor_s ratio \
    late_s meter_s other_s cpu_s cpu% peak_MB

run() { # name, operation arguments...
    local name=$1
    shift
    RT570_HOME="$work/" /usr/bin/time -v -o "$work/time.$name" \
        "$cli" --no-progress --trace "$work/trace.$name" "$@" >/dev/null 2>"$work/err.$name" || {
        echo "rt570-cli $* failed: $(cat "$work/err.$name")" >&2
        exit 1
    }
}

run values values
python3 "$here/bench/figures.py" "$work/trace.values" "$work/time.values" "$baud" \
    "opening read" values
run params params
python3 "$here/bench/figures.py" "$work/trace.params" "$work/time.params" "$baud" params
run hourly hourly "$hour_day"
python3 "$here/bench/figures.py" "$work/trace.hourly" "$work/time.hourly" "$baud" hourly
run daily daily "$month_day"
python3 "$here/bench/figures.py" "$work/trace.daily" "$work/time.daily" "$baud" daily
run monthly monthly "$month_day"
python3 "$here/bench/figures.py" "$work/trace.monthly" "$work/time.monthly" "$baud" monthly

if [ "$silent" = "1" ]; then
    # A meter that answers the opening read and nothing else: set-clock is one silent request.
    kill "${pids[0]}" 2>/dev/null || true
    wait "${pids[0]}" 2>/dev/null || true
    rm -f "$work/com3"
    python3 "$here/bench/silent_meter.py" "$work/com3" >/dev/null &
    pids+=($!)
    wait_for_link "$work/com3"
    RT570_HOME="$work/" /usr/bin/time -v -o "$work/time.silent" \
        "$cli" --no-progress --trace "$work/trace.silent" set-clock >/dev/null 2>"$work/err.silent" || true
    python3 "$here/bench/figures.py" "$work/trace.silent" "$work/time.silent" 0 set-clock |
        sed 's/^set-clock     /silent request/'
    echo "(silent request: 11 attempts, target 11 x (30 + 3000) ms = 33.330 s)"
fi

if [ "$collect" = "1" ]; then
    echo
    "$here/bench/collect.sh" "$build"
fi
