#!/usr/bin/env bash
# Builds and runs the chart benchmark under Wine in a private session.
# Figures only; never a pass or fail on time. Usage: bench/wave/run.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exec "$root/bench/wine-bench.sh" wave_bench "${1:-$root/build/wave-bench}"
