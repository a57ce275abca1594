#!/usr/bin/env bash
# Measures the figure store on SQLite and on a local PostgreSQL server: one node's night
# written, and the import of an SQLite store of 300 meters by 62 days of hourly rows.
# Usage: bench/store.sh [BUILD_DIR] [METERS DAYS]   (default: build, 300 62)
# The server is a throwaway cluster in a folder under /tmp, with the server's default settings
# (fsync on), listening only on a Unix socket there; as root it runs as "nobody".
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
shift || true
cmake --build "$build" --target rt570-store-bench >/dev/null

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "no PostgreSQL server binaries (Debian package postgresql)"; exit 1; }
work=$(mktemp -d /tmp/rt570-bench-XXXXXX)
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$work"
    as_server=(runuser -u nobody --)
fi
cleanup() {
    "${as_server[@]}" "$bin/pg_ctl" -D "$work/data" -m fast -w -s stop 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
"${as_server[@]}" "$bin/initdb" -D "$work/data" -A trust -U rt570 -E UTF8 --locale=C >/dev/null
"${as_server[@]}" "$bin/pg_ctl" -D "$work/data" -w -s -l "$work/server.log" \
    -o "-k $work -c listen_addresses=''" start
"${as_server[@]}" "$bin/createdb" -h "$work" -U rt570 figures
socket=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' "$work")
mkdir "$work/files"
[ "$(id -u)" -ne 0 ] || chown nobody "$work/files"
echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $("$bin/postgres" --version)"
"$build/rt570-store-bench" "$work/files" "postgresql://rt570@$socket/figures" "$@"
