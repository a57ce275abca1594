#!/usr/bin/env bash
# Measures `rt570-cli collect` over the simulator's modem bank, next to its floor.
# Usage: bench/collect.sh [BUILD_DIR]   (default: build)
#   NODES=3          meters behind the modem, one node each (numbers +79000000NNN, seeds 1..N)
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
sim_pids=()
stop_banks() {
    for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    sim_pids=()
}
cleanup() {
    stop_banks
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Starts the simulator's modem bank on the terminal linked as $1, the numbers after it, and
# waits for the link.
start_bank() {
    local link=$1
    shift
    "$sim" --baud "$baud" --modem-connect-ms "$connect_ms" --modem-guard-ms "$guard_ms" \
        "$@" --link "$link" >/dev/null 2>&1 &
    sim_pids+=($!)
    for _ in $(seq 100); do
        [ -e "$link" ] && return
        sleep 0.05
    done
    echo "no terminal at $link" >&2
    exit 1
}
# Writes a node list of $1 meters into the file $2, and their --number options into `numbers`.
write_nodes() {
    numbers=()
    {
        printf '[baza]\r\nkol_uzlov=%d\r\n' "$1"
        for n in $(seq "$1"); do
            phone=$(printf '+79000000%03d' "$n")
            printf 'tel_%d=ATD%s\r\nname_u%d=node%d\r\n' "$n" "$phone" "$n" "$n"
            numbers+=(--number "$phone=$n")
        done
    } >"$2"
}

mkdir -p "$work/arc"
write_nodes "$nodes" "$work/gsm_csd.ini"
start_bank "$work/com3" "${numbers[@]}"

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
stop_banks

# The pool: a node list of POOL_NODES meters, served by 1, 2 and 4 lines in turn.
pool_nodes=${POOL_NODES:-8}
pool_lines=${POOL_LINES-"1 2 4"}
[ -n "$pool_lines" ] || exit 0
pool="$work/pool"
mkdir -p "$pool"
write_nodes "$pool_nodes" "$pool/gsm_csd.ini"
printf '\nrt570-cli collect, %d nodes over modem lines (%s)\n' "$pool_nodes" "$operations"
echo "| lines | nodes | wall s | floor s | ratio | CPU % | peak MB |"
echo "|---|---|---|---|---|---|---|"
for lines in $pool_lines; do
    rm -rf "$pool/arc" "$pool"/trace* "$pool"/line*
    mkdir -p "$pool/arc"
    devices=()
    device_options=()
    for l in $(seq "$lines"); do
        start_bank "$pool/line$l" "${numbers[@]}"
        devices+=("$pool/line$l")
        device_options+=(--device "$pool/line$l")
    done
    # shellcheck disable=SC2086 # the operations are words
    RT570_HOME="$pool/" /usr/bin/time -v -o "$pool/time" \
        "$cli" "${device_options[@]}" --no-progress --trace "$pool/trace" collect $operations \
        >"$pool/summary" 2>"$pool/err" || {
        echo "rt570-cli collect over $lines lines failed: $(cat "$pool/err")" >&2
        exit 1
    }
    python3 "$here/bench/collect_pool.py" "$pool/trace" "$pool/summary" "$pool/time" "$baud" \
        "$connect_ms" "$guard_ms" "${devices[@]}"
    stop_banks
done
