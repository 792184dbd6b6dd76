#!/usr/bin/env bash
# Builds and runs the device benchmark under Wine, the simulator at the far
# end of a pty-backed COM5. Prints figures; never fails on time.
#   bench/run.sh            (BENCH_RUNS=50 BENCH_REOPEN_RUNS=10 BENCH_TIMEOUT_RUNS=5 by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win=${BENCH_WIN_BUILD:-$root/build/bench-win}
host=${BENCH_HOST_BUILD:-$root/build/bench-host}
jobs=${JOBS:-2}

cmake -S "$root" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOOL_SANITIZE=OFF >/dev/null
cmake --build "$host" -j "$jobs" --target zuv_sim
cmake -S "$root" -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win" -j "$jobs" --target device_bench

export ZUV_SIM=$host/bin/zuv_sim
WINE_SESSION_PORTS="5" WINE_SESSION_NO_X=1 "$root/scripts/wine-session.sh" "$win/wine-bench" -- \
  /usr/lib/wine/wine64 "$win/bin/device_bench.exe"
