#!/usr/bin/env bash
# with-simulator.sh PORT COMMAND...: inside a Wine session, runs the module
# simulator ($ZUV_SIM, options from $SIM_ARGS) as the device on COM<PORT>
# while COMMAND runs, and stops it afterwards.
set -euo pipefail
port=$1; shift
dir=${WINE_SESSION_DIR:?run inside scripts/wine-session.sh}
ready="$dir/sim$port.ready"; stop="$dir/sim$port.stop"
rm -f "$ready" "$stop"
# shellcheck disable=SC2086
"$ZUV_SIM" --link "$dir/ports/com$port" --ready-file "$ready" --stop-file "$stop" \
  --max-runtime 86400 --log "$dir/sim$port.log" ${SIM_ARGS:-} &
sim=$!
trap 'touch "$stop"; wait "$sim" 2>/dev/null; rm -f "$ready" "$stop"' EXIT
for _ in $(seq 100); do [ -s "$ready" ] && break; sleep 0.1; done
[ -s "$ready" ] || { echo "the simulator did not start" >&2; exit 1; }
echo "simulated ZUV-3917 on COM$port (log: $dir/sim$port.log)"
"$@"
