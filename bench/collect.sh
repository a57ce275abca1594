#!/usr/bin/env bash
# Measures `rt570-cli collect` over the simulator's modem bank, next to its floor.
# Usage: bench/collect.sh [BUILD_DIR]   (default: build)
#   NODES=3          meters behind the modem, one node each (numbers +7900000000N, seeds 1..N)
#   CONNECT_MS=3000  the simulated modem's delay from the dial to "CONNECT"
#   GUARD_MS=1000    the simulated modem's guard time around "+++"
#   BAUD=0           the simulator paces its bytes at that rate (0: none)
#   OPERATIONS="values hourly yesterday"
#   POOL_NODES=8 POOL_LINES="1 2 4"   the pool runs after it (POOL_LINES="" leaves them out)
# Per node: the meter frames sent, wall time, floor, ratio, and the same split into the
# operations (opening read included) and the modem dialogue (AT check, dial, hang-up). The floor
# of the operations is figures.py's; the dialogue's is the 30 ms drains before "AT" and the dial,
# the connect delay, the tool's 1 s guard before "+++" and the modem's guard after it (see
# collect_figures.py). Then the whole process: wall, floor, CPU, peak memory.
# Then the pool: POOL_NODES meters over 1, 2 and 4 modem lines, each line a simulator of its own
# with the same numbers; per run its wall time, its floor (the list-order hand-out of the nodes'
# own floors onto the lines, see collect_pool.py), the ratio, CPU and peak memory.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
nodes=${NODES:-3}
connect_ms=${CONNECT_MS:-3000}
guard_ms=${GUARD_MS:-1000}
baud=${BAUD:-0}
operations=${OPERATIONS:-"values hourly yesterday"}
# shellcheck source=bench/tools.sh
. "$here/bench/tools.sh"

work=$(mktemp -d)
sim_pid=""
pool_pids=()
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
    for pid in "${pool_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/arc"

numbers=()
{
    printf '[baza]\r\nkol_uzlov=%d\r\n' "$nodes"
    for n in $(seq "$nodes"); do
        phone=$(printf '+7900000000%d' "$n")
        printf 'tel_%d=ATD%s\r\nname_u%d=node%d\r\n' "$n" "$phone" "$n" "$n"
        numbers+=(--number "$phone=$n")
    done
} >"$work/gsm_csd.ini"

"$sim" --baud "$baud" --modem-connect-ms "$connect_ms" --modem-guard-ms "$guard_ms" \
    "${numbers[@]}" --link "$work/com3" >/dev/null 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
    [ -e "$work/com3" ] && break
    sleep 0.05
done
[ -e "$work/com3" ] || { echo "no terminal at $work/com3" >&2; exit 1; }

printf 'rt570-cli collect %s, %d nodes, connect %d ms, modem guard %d ms, --baud %s, %s\n' \
    "$(git -C "$here" rev-parse --short HEAD 2>/dev/null || echo '?')" "$nodes" "$connect_ms" \
    "$guard_ms" "$baud" "$(date '+%F %T')"
# shellcheck disable=SC2086 # the operations are words
RT570_HOME="$work/" /usr/bin/time -v -o "$work/time" \
    "$cli" --no-progress --trace "$work/trace" collect $operations \
    >"$work/summary" 2>"$work/err" || {
    echo "rt570-cli collect failed: $(cat "$work/err")" >&2
    exit 1
}
python3 "$here/bench/collect_figures.py" "$work/trace" "$work/summary" "$work/time" "$baud" \
    "$connect_ms" "$guard_ms"

kill "$sim_pid" 2>/dev/null || true
sim_pid=""

# The pool: a node list of POOL_NODES meters, served by 1, 2 and 4 lines in turn.
pool_nodes=${POOL_NODES:-8}
pool_lines=${POOL_LINES-"1 2 4"}
[ -n "$pool_lines" ] || exit 0
pool="$work/pool"
mkdir -p "$pool"
pool_numbers=()
{
    printf '[baza]\r\nkol_uzlov=%d\r\n' "$pool_nodes"
    for n in $(seq "$pool_nodes"); do
        phone=$(printf '+790000001%02d' "$n")
        printf 'tel_%d=ATD%s\r\nname_u%d=node%d\r\n' "$n" "$phone" "$n" "$n"
        pool_numbers+=(--number "$phone=$n")
    done
} >"$pool/gsm_csd.ini"
printf '\nrt570-cli collect, %d nodes over modem lines (%s)\n' "$pool_nodes" "$operations"
echo "| lines | nodes | wall s | floor s | ratio | CPU % | peak MB |"
echo "|---|---|---|---|---|---|---|"
for lines in $pool_lines; do
    rm -rf "$pool/arc" "$pool"/trace* "$pool"/line*
    mkdir -p "$pool/arc"
    devices=()
    for l in $(seq "$lines"); do
        "$sim" --baud "$baud" --modem-connect-ms "$connect_ms" --modem-guard-ms "$guard_ms" \
            "${pool_numbers[@]}" --link "$pool/line$l" >/dev/null 2>&1 &
        pool_pids+=($!)
        devices+=("$pool/line$l")
    done
    for device in "${devices[@]}"; do
        for _ in $(seq 100); do
            [ -e "$device" ] && break
            sleep 0.05
        done
        [ -e "$device" ] || { echo "no terminal at $device" >&2; exit 1; }
    done
    device_options=()
    for device in "${devices[@]}"; do device_options+=(--device "$device"); done
    # shellcheck disable=SC2086 # the operations are words
    RT570_HOME="$pool/" /usr/bin/time -v -o "$pool/time" \
        "$cli" "${device_options[@]}" --no-progress --trace "$pool/trace" collect $operations \
        >"$pool/summary" 2>"$pool/err" || {
        echo "rt570-cli collect over $lines lines failed: $(cat "$pool/err")" >&2
        exit 1
    }
    python3 "$here/bench/collect_pool.py" "$pool/trace" "$pool/summary" "$pool/time" "$baud" \
        "$connect_ms" "$guard_ms" "${devices[@]}"
    for pid in "${pool_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    pool_pids=()
done
