#!/usr/bin/env bash
# Builds the program and measures its start-up under a virtual X server (bench/startup.py).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${Q9_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh" >/dev/null
exec xvfb-run -a -s "-screen 0 1280x1024x24" python3 "$root/bench/startup.py" "$build/src/mainwindow/q9config" "$@"
