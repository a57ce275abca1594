#!/usr/bin/env bash
# Starts the window on a demo home wired to simulated meters:
#   port 3: a meter on a direct cable; port 4: the same kind of meter behind a GSM modem.
# The simulators stop when the window closes.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$here/build"}
home=${RT570_DEMO_HOME:-"$here/.demo"}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<MSG
There is no display to show the window on (DISPLAY is not set).
Run it inside a virtual display instead:
    xvfb-run -a -s "-screen 0 1024x768x24" ./run.sh
or use the command line front end: $build_dir/rt570-cli --help
MSG
    exit 1
fi

mkdir -p "$home/arc"
cp "$here/packaging/examples/gsm_csd.ini" "$home/gsm_csd.ini"
rm -f "$home/com3" "$home/com4"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup EXIT

"$build_dir/rt570-sim" --link "$home/com3" --seed 570 >/dev/null &
pids+=($!)
if "$build_dir/rt570-sim" --help 2>&1 | grep -q -- '--modem'; then
    "$build_dir/rt570-sim" --link "$home/com4" --seed 571 --modem >/dev/null &
    pids+=($!)
fi
for _ in $(seq 50); do
    [ -e "$home/com3" ] && break
    sleep 0.1
done

echo "Demo home: $home (reports in $home/arc). Press \"Старт\" with the default selections."
RT570_HOME="$home/" "$build_dir/rt570"
