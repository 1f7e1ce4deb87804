#!/usr/bin/env bash
# Sets up, builds and runs the program. Until the window lands this runs q9ctl on the user's store:
# with no arguments it shows the settings (and creates the factory settings on a first run).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${Q9_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh" -DQ9_BUILD_TESTS=OFF -DQ9_BUILD_BENCH=OFF >/dev/null
if (($#)); then
  exec "$build/tools/q9ctl/q9ctl" "$@"
fi
exec "$build/tools/q9ctl/q9ctl" show
