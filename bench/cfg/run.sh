#!/usr/bin/env bash
# zuv_cfg against the simulator on a pty (host, Release, no sanitizers):
# write + verify against what the protocol needs, and a recording at the
# full line rate compared byte for byte. Figures only; never fails on time.
#   bench/cfg/run.sh [RECORD_SECONDS] [WRITE_RUNS]   (default 60 and 10)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BENCH_BUILD:-$root/build/cfg-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOOL_SANITIZE=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target cfg_bench zuv_sim zuv_cfg
"$build/bin/cfg_bench" "$build/bin/zuv_sim" "$build/bin/zuv_cfg" "${1:-60}" "${2:-10}"
