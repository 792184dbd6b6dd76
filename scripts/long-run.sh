#!/usr/bin/env bash
# long-run.sh [HOURS]: the slow checks that do not fit into scripts/test.sh.
#   1. every fuzz target, HOURS (default 4) shared between them, in rounds of
#      LONG_FUZZ_ROUND seconds per target (default 1800) so each gets turns;
#      the corpus grows in build/fuzz-long/corpus across rounds and runs;
#   2. the tool's soak run, bench/tool/soak.sh, with SOAK_FRAMES report
#      frames (default 2000000), when that script exists.
# Stops at the first failing round; a failing input is in build/fuzz-long/artifacts.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
hours=${1:-4}
round=${LONG_FUZZ_ROUND:-1800}
jobs=${JOBS:-2}
build=build/fuzz-long

cmake -S . -B "$build" -G Ninja -DTOOL_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
cmake --build "$build" -j "$jobs" || exit 1

targets=(frame_decoder_fuzz report_frame_fuzz config_fuzz profile_fuzz param_reply_fuzz scene_fuzz)
end=$(( $(date +%s) + $(awk "BEGIN { printf \"%d\", $hours * 3600 }") ))
rc=0
while [ "$(date +%s)" -lt "$end" ] && [ "$rc" -eq 0 ]; do
  for target in "${targets[@]}"; do
    left=$(( end - $(date +%s) ))
    [ "$left" -gt 0 ] || break
    seconds=$(( left < round ? left : round ))
    echo "== $(date -u +%H:%M:%S) $target for $seconds s"
    scripts/fuzz-targets.sh "$build" "$seconds" "$target" || { rc=1; break; }
  done
done

if [ -x bench/tool/soak.sh ] || [ -f bench/tool/soak.sh ]; then
  echo "== $(date -u +%H:%M:%S) soak run, ${SOAK_FRAMES:-2000000} frames"
  SOAK_FRAMES=${SOAK_FRAMES:-2000000} bash bench/tool/soak.sh "${SOAK_FRAMES:-2000000}" || rc=1
else
  echo "== bench/tool/soak.sh not present: soak run skipped"
fi
[ "$rc" -eq 0 ] && echo "long run: passed" || echo "long run: FAILED"
exit "$rc"
