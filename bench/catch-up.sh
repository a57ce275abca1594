#!/usr/bin/env bash
# Measures the nightly `collect hourly missing` over the simulator's modem bank: a first night
# that reads yesterday from every node into an empty store, then a second night over the same
# nodes, which finds nothing missing and so costs the calls alone (the modem dialogue and the
# opening read). Both through bench/collect.sh (its one-line run), which prints per node and
# for the whole run the wall time, its floor, CPU and peak memory.
# Usage: bench/catch-up.sh [BUILD_DIR]   (default: build)
#   NODES=8 CONNECT_MS=3000 GUARD_MS=1000 BAUD=0   as for bench/collect.sh
#   CATCH_UP=1   the days "missing" looks back (the first night reads that many days per node)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
export NODES=${NODES:-8}
export POOL_LINES="" # the one-line run alone
export OPERATIONS="hourly missing"
store=$(mktemp -d)
trap 'rm -rf "$store"' EXIT
export CLI_OPTIONS="--db $store/figures.db --catch-up ${CATCH_UP:-1}"

echo "first night: the store is empty"
"$here/bench/collect.sh" "$build"
echo
echo "second night: nothing missing, no archive request"
"$here/bench/collect.sh" "$build"
