#!/usr/bin/env bash
# zuv_rec's csv and stats throughput on a generated recording, as a ratio to
# just reading the file. Figures only; never a pass or fail on time.
#   bench/recording/run.sh [MEGABYTES] [FOLDER]    (default 1024 MB in /tmp;
#   the recording is deleted afterwards). BENCH_BUILD picks the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BENCH_BUILD:-$root/build/recording-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOOL_SANITIZE=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target recording_bench zuv_rec
"$build/bin/recording_bench" "${1:-1024}" "${2:-/tmp}"
