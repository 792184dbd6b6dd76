#!/usr/bin/env bash
# Builds one Windows benchmark and runs it under Wine in a private session,
# from its output folder. Figures only; never a pass or fail on time.
# Usage: bench/wine-bench.sh TARGET BUILD_DIR   (the scripts in bench/*/ call it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=$1
build=$2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target "$target"
"$root/scripts/wine-session.sh" "$build/wine-bench" -- \
  sh -c "cd '$build/bin' && /usr/lib/wine/wine64 '$target.exe'"
