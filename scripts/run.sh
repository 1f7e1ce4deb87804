#!/usr/bin/env bash
# Sets up, builds and runs the configuration window. Without the mouse's driver (no driver socket
# in the device folder) the window runs with the simulated mouse. Arguments go to q9config.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${Q9_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh" -DQ9_BUILD_TESTS=OFF -DQ9_BUILD_BENCH=OFF >/dev/null

program=("$build/src/mainwindow/q9config")
device_folder=${Q9_DEVICE_DIR:-${XDG_RUNTIME_DIR:-/tmp}}
if [ ! -S "$device_folder/usbglcs00001" ]; then
  echo "No mouse driver found in $device_folder: using the simulated mouse." >&2
  program+=(--simulate)
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the window runs on a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "${program[@]}" "$@"
fi
exec "${program[@]}" "$@"
