#!/usr/bin/env bash
# Soak of the running tool under Wine: report frames back to back at the full
# line rate (25,600 bytes/s) with noise and broken trailers from the simulated
# module on COM5. Prints frames sent, recorded and logged, and the tool's
# memory and GDI object counts over time; ends non-zero when a frame or a
# byte went missing.
# Usage: bench/tool/soak.sh [--frames N | N]   (default $SOAK_FRAMES or 100000:
# about 40 s; a million frames take about 7 minutes)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
frames=${SOAK_FRAMES:-100000}
while [ $# -gt 0 ]; do
  case $1 in
    --frames) frames=${2:?--frames needs a number}; shift 2 ;;
    [0-9]*) frames=$1; shift ;;
    *) echo "usage: bench/tool/soak.sh [--frames N | N]" >&2; exit 2 ;;
  esac
done
case $frames in ''|0|*[!0-9]*) echo "soak.sh: the number of frames must be a positive number" >&2; exit 2 ;; esac
. "$root/bench/tool/build.sh"
export ZUV_SIM=$host/bin/zuv_sim
WINE_SESSION_PORTS="5" "$root/scripts/wine-session.sh" "$win/wine-tool-soak" -- \
  sh -c "cd '$win/bin' && /usr/lib/wine/wine64 tool_bench.exe soak $frames"
