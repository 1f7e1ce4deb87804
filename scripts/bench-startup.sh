#!/usr/bin/env bash
# Measures the program's start-up and memory under a virtual X server (bench/startup.py), beside a
# bare Qt window of the same size (bench/BareWindow.cpp) started the same way in the same run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${Q9_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh" >/dev/null
baseline=()
[[ -x $build/bench/q9_bench_bare_window ]] && baseline=(--baseline "$build/bench/q9_bench_bare_window")
exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" python3 "$root/bench/startup.py" "$build/src/mainwindow/q9config" \
  "${baseline[@]}" "$@"
