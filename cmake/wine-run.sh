#!/usr/bin/env bash
# Runs one Windows program under the Wine session prepared by scripts/wine-session.sh.
if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX" ]; then
  echo "wine-run: no prepared WINEPREFIX; run through scripts/wine-session.sh" >&2
  exit 97
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec /usr/lib/wine/wine64 "$@"
