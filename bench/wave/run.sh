#!/usr/bin/env bash
# Builds and runs the chart benchmark under Wine in a private session.
# Figures only; never a pass or fail on time. Usage: bench/wave/run.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/wave-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target wave_bench
"$root/scripts/wine-session.sh" "$build/wine-bench" -- \
  sh -c "cd '$build/bin' && /usr/lib/wine/wine64 wave_bench.exe"
