#!/usr/bin/env bash
# Runs the benchmarks in bench/ one after the other and prints one table of
# the lines that name a target: benchmark, figure with its target and ratio.
# Each run's whole output stays in build/bench-all/NAME.log. Figures only: a
# slow machine never fails; a benchmark that ends non-zero is marked.
# Usage: bench/run-all.sh [device|imagehelper|wave|recording|tool|cfg ...]   (default: all)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/bench-all
mkdir -p "$out"
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(device imagehelper wave recording tool cfg)

script_of() {
  case $1 in
    device) echo "$root/bench/run.sh" ;;
    tool) echo "$root/bench/tool/run.sh" ;;
    *) echo "$root/bench/$1/run.sh" ;;
  esac
}

declare -A status
for name in "${names[@]}"; do
  script=$(script_of "$name")
  if [ ! -f "$script" ]; then
    echo "run-all: no benchmark named $name" >&2
    status[$name]="missing"
    continue
  fi
  echo "== $(date -u +%H:%M:%S) $name ($script), output in $out/$name.log"
  # Output to a file, never a pipe: a Wine server started inside keeps a pipe open.
  bash "$script" >"$out/$name.log" 2>&1
  rc=$?
  [ $rc -eq 0 ] && status[$name]="ok" || status[$name]="ended with $rc"
done

echo
printf '%-12s %s\n' "benchmark" "figure, target and ratio"
printf '%-12s %s\n' "---------" "------------------------"
for name in "${names[@]}"; do
  log=$out/$name.log
  [ -f "$log" ] || continue
  grep -E 'target|ratio' "$log" | grep -vE '^(RESULT|\[|--|ninja)' | sed 's/^[[:space:]]*//' |
    while IFS= read -r line; do printf '%-12s %s\n' "$name" "$line"; done
  [ "${status[$name]}" = ok ] || printf '%-12s %s\n' "$name" "(${status[$name]}: see $log)"
done
