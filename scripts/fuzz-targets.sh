#!/usr/bin/env bash
# fuzz-targets.sh BUILD_DIR SECONDS [TARGET...]
# Runs every fuzz target built in BUILD_DIR (clang, -DTOOL_FUZZ=ON) for
# SECONDS each, from its generated seed corpus plus whatever earlier runs
# found (kept in BUILD_DIR/corpus/<target>). A failing input is written to
# BUILD_DIR/artifacts/ and the target's output to BUILD_DIR/<target>.log.
# Exit status: 0 when every target ran clean, 1 otherwise.
set -uo pipefail
build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(frame_decoder_fuzz report_frame_fuzz config_fuzz param_reply_fuzz)

mkdir -p "$build/artifacts"
failed=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  case $target in
    frame_decoder_fuzz) "$build/bin/fuzz_seed_corpus" "$corpus"; max_len=16384 ;;
    report_frame_fuzz) "$build/bin/fuzz_input_seeds" report "$corpus"; max_len=4096 ;;
    config_fuzz) "$build/bin/fuzz_input_seeds" config "$corpus"; max_len=16384 ;;
    param_reply_fuzz) "$build/bin/fuzz_input_seeds" param "$corpus"; max_len=512 ;;
    *) echo "fuzz: unknown target $target"; failed=1; continue ;;
  esac
  log=$build/$target.log
  "$build/bin/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$corpus" >"$log" 2>&1
  rc=$?
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || true)
  if [ "$rc" -eq 0 ]; then
    echo "fuzz: $target passed (${runs:-?} inputs in ${seconds} s)"
  else
    failed=1
    echo "fuzz: $target FAILED ($log, $build/artifacts/$target-*)"
    grep -E 'invariant at line|ERROR:|SUMMARY:' "$log" | head -n 5
  fi
done
exit "$failed"
