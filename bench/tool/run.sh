#!/usr/bin/env bash
# The main window's benchmarks. Figures and ratios only; never a pass or fail
# on time (a count or byte mismatch in the soak is a fault and ends non-zero).
#   1. report-frame parser throughput (host build);
#   2. under Wine, the module simulated on COM5: frame written -> distance
#      label shows it (p50, p95), the tool's CPU share at 20 reports/s, and a
#      soak at the full line rate (bench/tool/soak.sh runs a longer one).
# Usage: bench/tool/run.sh   (LATENCY_SECONDS=20 CPU_SECONDS=20 SOAK_FRAMES=20000)
# Builds in build/tool-bench-host and build/tool-bench-win unless
# TOOL_BENCH_HOST_BUILD / TOOL_BENCH_WIN_BUILD name other (configured) folders.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/bench/tool/build.sh"

echo "== report-frame parser (host)"
"$host/bin/parser_bench" "${PARSER_MEGABYTES:-64}"

echo "== the running tool under Wine"
export ZUV_SIM=$host/bin/zuv_sim
WINE_SESSION_PORTS="5" "$root/scripts/wine-session.sh" "$win/wine-tool-bench" -- sh -c "
  cd '$win/bin' &&
  /usr/lib/wine/wine64 tool_bench.exe latency ${LATENCY_SECONDS:-20} &&
  /usr/lib/wine/wine64 tool_bench.exe cpu ${CPU_SECONDS:-20} &&
  /usr/lib/wine/wine64 tool_bench.exe soak ${SOAK_FRAMES:-20000}"
