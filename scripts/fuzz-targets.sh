#!/usr/bin/env bash
# fuzz-targets.sh BUILD_DIR SECONDS [TARGET...]
# Runs every fuzz target built in BUILD_DIR (clang, -DTOOL_FUZZ=ON) for
# SECONDS each, from its seed corpus (generated afresh into
# BUILD_DIR/seeds/<target>) plus whatever earlier runs found (kept in
# BUILD_DIR/corpus/<target>, where new inputs go). A failing input is written to
# BUILD_DIR/artifacts/ and the target's output to BUILD_DIR/<target>.log.
# A target whose seed generator fails or writes no seed is not run and counts
# as failed: fuzzing from nothing proves little.
# Exit status: 0 when every target ran clean, 1 otherwise.
set -uo pipefail
build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(frame_decoder_fuzz report_frame_fuzz config_fuzz profile_fuzz param_reply_fuzz replay_source_fuzz scene_fuzz recording_scan_fuzz)

mkdir -p "$build/artifacts"
failed=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  seeds_dir=$build/seeds/$target
  mkdir -p "$corpus"
  rm -rf "$seeds_dir"
  mkdir -p "$seeds_dir"
  case $target in
    frame_decoder_fuzz) seeds=("$build/bin/fuzz_seed_corpus" "$seeds_dir"); max_len=16384 ;;
    report_frame_fuzz) seeds=("$build/bin/fuzz_input_seeds" report "$seeds_dir"); max_len=4096 ;;
    config_fuzz) seeds=("$build/bin/fuzz_input_seeds" config "$seeds_dir"); max_len=16384 ;;
    profile_fuzz) seeds=("$build/bin/fuzz_input_seeds" profile "$seeds_dir"); max_len=16384 ;;
    param_reply_fuzz) seeds=("$build/bin/fuzz_input_seeds" param "$seeds_dir"); max_len=512 ;;
    replay_source_fuzz) seeds=("$build/bin/fuzz_input_seeds" replay "$seeds_dir"); max_len=4096 ;;
    scene_fuzz) seeds=("$build/bin/fuzz_input_seeds" scene "$seeds_dir"); max_len=4096 ;;
    recording_scan_fuzz) seeds=("$build/bin/fuzz_input_seeds" scan "$seeds_dir"); max_len=4096 ;;
    *) echo "fuzz: unknown target $target"; failed=1; continue ;;
  esac
  log=$build/$target.log
  if ! "${seeds[@]}" >"$log" 2>&1; then
    failed=1
    echo "fuzz: $target FAILED: its seed generator failed ($log)"
    tail -n 3 "$log"
    continue
  fi
  if [ -z "$(find "$seeds_dir" -type f -print -quit)" ]; then
    failed=1
    echo "fuzz: $target FAILED: its seed generator wrote nothing into $seeds_dir"
    continue
  fi
  "$build/bin/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$corpus" "$seeds_dir" >"$log" 2>&1
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
