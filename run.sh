#!/usr/bin/env bash
# Sets up, builds and starts rt570 on a simulated meter (the demo). See README.md.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh" "$here/build"
exec "$here/scripts/demo.sh" "$here/build"
