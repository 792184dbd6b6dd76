#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test:
#   1. host build of the Windows-free code with AddressSanitizer and
#      UndefinedBehaviorSanitizer;
#   2. the chart sample buffer's concurrency test built with ThreadSanitizer
#      into build/tsan and run alone;
#   3. fuzz targets built with clang into build/fuzz, each run for a bounded
#      time (FUZZ_SECONDS, default 25) from a generated seed corpus
#      (scripts/fuzz-targets.sh; scripts/long-run.sh runs them for hours);
#   4. Windows build (mingw-w64), its tests run under Wine in a private
#      session (fresh prefix, own Xvfb display, removed afterwards);
#   5. every C++ file as clang-format (.clang-format) makes it
#      (scripts/check-format.sh).
# A ctest run that finds no tests fails (a broken test discovery must not pass
# on nothing). Tests that end in GTEST_SKIP are listed; with CI=true (as CI
# sets it) any of them fails the run (scripts/ctest-skips.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${JOBS:-2}

bash scripts/install-deps.sh

echo "== format"
set +e
bash scripts/check-format.sh
format_rc=$?
set -e

echo "== host build and tests"
cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j "$jobs"
set +e
ctest --test-dir build/host --no-tests=error --output-on-failure -j "$jobs" --timeout 300 >build/host-tests.log 2>&1
host_rc=$?
set -e
cat build/host-tests.log

echo "== chart sample buffer under ThreadSanitizer (build/tsan): appends against reads and reconfiguration"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOOL_SANITIZE=OFF \
  "-DCMAKE_CXX_FLAGS=-fsanitize=thread -fno-omit-frame-pointer -g -O1" "-DCMAKE_C_FLAGS=-fsanitize=thread -g -O1" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build build/tsan -j "$jobs" --target wave_core_stress_tests
set +e
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" WAVE_STRESS_SECONDS=${WAVE_STRESS_SECONDS:-3} \
  build/tsan/bin/wave_core_stress_tests >build/tsan-tests.log 2>&1
tsan_rc=$?
set -e
tail -n 3 build/tsan-tests.log
# The program runs alone, without ctest: it must have run a test and skipped none.
if [ "$tsan_rc" -eq 0 ] && ! grep -qE '^\[  PASSED  \] [1-9][0-9]* test' build/tsan-tests.log; then
  echo "tsan: no test ran"; tsan_rc=1
fi
if [ "${CI:-}" = true ] && grep -q '^\[  SKIPPED \]' build/tsan-tests.log; then
  echo "tsan: a test was skipped"; tsan_rc=1
fi
[ "$tsan_rc" -eq 0 ] && echo "tsan: chart sample buffer passed" || echo "tsan: chart sample buffer FAILED (build/tsan-tests.log)"

echo "== fuzz targets (clang, libFuzzer), each for a bounded time"
cmake -S . -B build/fuzz -G Ninja -DTOOL_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/fuzz -j "$jobs"
rm -rf build/fuzz/corpus build/fuzz/artifacts
# Five targets (command frames, report frames, configuration file, parameter
# reply and edit numbers, replay pacer and source), FUZZ_SECONDS each: about two minutes in all.
set +e
scripts/fuzz-targets.sh build/fuzz "${FUZZ_SECONDS:-25}" 2>&1 | tee build/fuzz-tests.log
fuzz_rc=${PIPESTATUS[0]}
set -e

echo "== Windows build and tests under Wine"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win -j "$jobs"
set +e
# Device tests: the module simulator from the host build at the far end of
# COM ports the session maps to ptys.
export ZUV_SIM=$root/build/host/bin/zuv_sim
WINE_SESSION_PORTS="5 6 7 8 12" scripts/wine-session.sh build/win/wine -- \
  ctest --test-dir build/win --no-tests=error --output-on-failure --timeout 600 >build/win-tests.log 2>&1
win_rc=$?
set -e
cat build/win-tests.log

count() { grep -E "tests passed, [0-9]+ tests failed out of" "$1" | tail -n 1; }
passed=0; failed=0
for log in build/host-tests.log build/win-tests.log; do
  line=$(count "$log" || true)
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/')
  [ -n "$line" ] && passed=$((passed + total - bad)) && failed=$((failed + bad))
done
# ctest counts a skipped test as passed.
skip_rc=0
skips=$(bash scripts/ctest-skips.sh build/host-tests.log build/win-tests.log) || skip_rc=$?
skipped=$(printf '%s\n' "$skips" | grep -c '^skipped: .*(Skipped)' || true)
echo
[ -z "$skips" ] || printf '%s\n' "$skips"
echo "all tests: $((passed - skipped)) passed, $failed failed, $skipped skipped"
[ "$fuzz_rc" -eq 0 ] || echo "fuzz targets failed"
[ "$tsan_rc" -eq 0 ] || echo "ThreadSanitizer test failed"
[ "$format_rc" -eq 0 ] || echo "files not formatted (scripts/check-format.sh --fix)"
[ "$host_rc" -eq 0 ] && [ "$win_rc" -eq 0 ] && [ "$fuzz_rc" -eq 0 ] && [ "$tsan_rc" -eq 0 ] && [ "$skip_rc" -eq 0 ] && [ "$format_rc" -eq 0 ]
