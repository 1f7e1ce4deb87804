#!/usr/bin/env bash
# Sets up, builds (warnings are errors) and runs every test. Then builds the core, the Windows
# backends, their tests and q9ctl with MinGW and runs them under Wine against the real Win32 calls.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${Q9_BUILD_DIR:-$root/build}
windows_build=$build-windows

"$root/scripts/setup.sh" -DQ9_WERROR=ON -DQ9_BUILD_TESTS=ON -DQ9_BUILD_BENCH=ON
ctest_log=$(mktemp)
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" | tee "$ctest_log"
linux_total=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$ctest_log")
rm -f "$ctest_log"

echo "== The whole Linux suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer"
# Any report ends the program that has it (see Q9_SANITIZE), so its test fails.
cmake -S "$root" -B "$build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1" \
  -DQ9_SANITIZE=address,undefined -DQ9_BUILD_TESTS=ON -DQ9_BUILD_BENCH=OFF >/dev/null
cmake --build "$build-asan" --parallel "$(nproc)"
# The sanitizer's dlopen is the caller the loader sees, so the programs' own run paths are not
# searched for the hook library: the library path names its folder, and the one test of that
# search is left to the build above.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
  LD_LIBRARY_PATH="$build-asan/src/mainwindow${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  ctest --test-dir "$build-asan" --output-on-failure --parallel "$(nproc)" --exclude-regex '^q9_tests_hook_search$'

echo "== The tests of the threads (channel, simulator, messaging, hook) built with ThreadSanitizer"
thread_tests=(tests/q9_tests_device tests/q9_tests_protocol tests/q9_tests_sim tests/q9_tests_input tests/q9_tests)
cmake -S "$root" -B "$build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1" \
  -DQ9_SANITIZE=thread -DQ9_BUILD_TESTS=ON -DQ9_BUILD_BENCH=OFF >/dev/null
cmake --build "$build-tsan" --parallel "$(nproc)" --target "${thread_tests[@]##*/}" q9_gui_tests_hook
tsan() {
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/tests/sanitizers/tsan.supp" \
    LD_LIBRARY_PATH="$build-tsan/src/mainwindow${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" "$@"
}
thread_total=0
for program in "${thread_tests[@]}"; do
  thread_log=$(mktemp)
  echo "-- ${program##*/}"
  tsan "$build-tsan/$program" --gtest_brief=1 | tee "$thread_log"
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$thread_log")
  rm -f "$thread_log"
  thread_total=$((thread_total + ${passed:-0}))
done
hook_tests() {
  thread_log=$(mktemp)
  "$@" -silent | tee "$thread_log"
  passed=$(sed -n 's/^Totals: \([0-9]*\) passed.*/\1/p' "$thread_log")
  rm -f "$thread_log"
  thread_total=$((thread_total + ${passed:-0}))
}
echo "-- q9_gui_tests_hook (offscreen, and the key events of a virtual X server)"
QT_QPA_PLATFORM=offscreen hook_tests tsan "$build-tsan/tests/gui/q9_gui_tests_hook"
QT_QPA_PLATFORM=xcb hook_tests tsan xvfb-run -a -s -noreset "$build-tsan/tests/gui/q9_gui_tests_hook" realKeysOfTheXServer

echo "== Windows build (MinGW) and its tests (Wine)"
# -O2: GCC 12's -O3 reports false overlaps and over-reads inside inlined standard library code.
cmake -S "$root" -B "$windows_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQ9_WERROR=ON -DQ9_BUILD_TESTS=ON \
  -DQ9_BUILD_BENCH=OFF >/dev/null
cmake --build "$windows_build" --parallel "$(nproc)"

prefix=$(mktemp -d)
trap 'WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
# Windows need a display: Wine runs on a virtual X server.
wine() { WINEPREFIX=$prefix WINEDEBUG=-all xvfb-run -a -s -noreset /usr/lib/wine/wine64 "$@"; }
windows_total=0
for program in "$windows_build"/tests/q9_*.exe; do
  windows_log=$(mktemp)
  echo "-- $(basename "$program")"
  wine "$program" --gtest_brief=1 | tee "$windows_log"
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$windows_log")
  rm -f "$windows_log"
  windows_total=$((windows_total + ${passed:-0}))
done

# q9ctl.exe on the real (Wine) registry: a first show stores the settings, an export is the factory image.
wine "$windows_build/tools/q9ctl/q9ctl.exe" show >/dev/null
wine "$windows_build/tools/q9ctl/q9ctl.exe" export 0 'C:\q9-export.GPX' >/dev/null
cmp "$prefix/drive_c/q9-export.GPX" "$root/tests/data/factory_profile.GPX"
echo "q9ctl.exe: export on the Windows registry matches the factory image"

cmake -S "$root" -B "$build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1" -DQ9_BUILD_FUZZ=ON -DQ9_BUILD_TESTS=OFF \
  -DQ9_BUILD_BENCH=OFF -DQ9_BUILD_TOOLS=OFF -DQ9_BUILD_GUI=OFF >/dev/null
for harness in language_file sim_request memory_decode profile_json macro_steps hook_events macro_recording \
  gpx_import config_ini driver_reply window_message; do
  echo "== Fuzzing $harness (10 s)"
  cmake --build "$build-fuzz" --target "q9_fuzz_$harness"
  corpus=$(mktemp -d)
  cp "$root/fuzz/corpus/$harness"/* "$corpus"/
  "$build-fuzz/fuzz/q9_fuzz_$harness" "$corpus" -max_total_time=10 -rss_limit_mb=2048 2>&1 | tail -1
  rm -rf "$corpus"
done

echo "Linux: ${linux_total} tests, ThreadSanitizer: ${thread_total} tests, Windows (Wine): ${windows_total} tests," \
  "q9ctl.exe smoke test: 1"
echo "$((linux_total + thread_total + windows_total + 1)) passed, 0 failed"
