#!/usr/bin/env bash
# Runs one Windows program under the Wine session prepared by scripts/wine-session.sh.
if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX" ]; then
  echo "wine-run: no prepared WINEPREFIX; run through scripts/wine-session.sh" >&2
  exit 97
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Now and then Wine ends a program before it has started: a failure status,
# not one byte of output, a few milliseconds. Every program run here writes
# something first (a test prints its name), so such a run is started once
# more; a run that wrote anything keeps its own result. Output is streamed
# (merged into stdout) so a run ended by a time-out still shows what it wrote.
out=$(mktemp) || exit 97
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
  /usr/lib/wine/wine64 "$@" 2>&1 | tee "$out"
  rc=${PIPESTATUS[0]}
  if [ "$rc" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -eq 2 ]; then
    exit "$rc"
  fi
  echo "wine-run: $1 ended with status $rc before writing anything; starting it once more" >&2
done
