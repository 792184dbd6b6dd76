#!/usr/bin/env bash
# Builds and runs the image helper benchmark under Wine in a private session.
# Figures only; never a pass or fail on time. Usage: bench/imagehelper/run.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exec "$root/bench/wine-bench.sh" imagehelper_bench "${1:-$root/build/img-win}"
