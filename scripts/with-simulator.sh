#!/usr/bin/env bash
# with-simulator.sh PORT COMMAND...: inside a Wine session, runs the module
# simulator ($ZUV_SIM, default build/host/bin/zuv_sim from
# scripts/build-host-tools.sh; options from $SIM_ARGS) as the device on
# COM<PORT> while COMMAND runs, and stops it afterwards. The session must map
# the port and leave its far end to the simulator:
#   WINE_SESSION_PORTS=5 scripts/wine-session.sh DIR -- bash scripts/with-simulator.sh 5 COMMAND...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: with-simulator.sh PORT COMMAND..." >&2; exit 2; }
port=$1; shift
dir=${WINE_SESSION_DIR:?run inside scripts/wine-session.sh: WINE_SESSION_PORTS=$port scripts/wine-session.sh DIR -- bash scripts/with-simulator.sh $port COMMAND...}
sim_exe=${ZUV_SIM:-$root/build/host/bin/zuv_sim}
if [ ! -x "$sim_exe" ]; then
  echo "with-simulator: no simulator at $sim_exe (build it with: bash scripts/build-host-tools.sh, or set ZUV_SIM)" >&2
  exit 1
fi
case " ${WINE_SESSION_PORTS:-} " in
  *" $port "*) ;;
  *) echo "with-simulator: the session does not map COM$port (WINE_SESSION_PORTS=\"${WINE_SESSION_PORTS:-}\"):" \
       "start it with WINE_SESSION_PORTS=$port scripts/wine-session.sh DIR -- ..." >&2
     exit 1 ;;
esac
if [ -n "${WINE_SESSION_PTY_PAIRS:-}" ]; then
  echo "with-simulator: WINE_SESSION_PTY_PAIRS is set: the session already made COM$port's pty; start it without" >&2
  exit 1
fi
ready="$dir/sim$port.ready"; stop="$dir/sim$port.stop"
rm -f "$ready" "$stop"
# shellcheck disable=SC2086
"$sim_exe" --link "$dir/ports/com$port" --ready-file "$ready" --stop-file "$stop" \
  --max-runtime 86400 --log "$dir/sim$port.log" ${SIM_ARGS:-} &
sim=$!
trap 'touch "$stop"; wait "$sim" 2>/dev/null; rm -f "$ready" "$stop"' EXIT
for _ in $(seq 100); do [ -s "$ready" ] && break; sleep 0.1; done
[ -s "$ready" ] || { echo "the simulator did not start" >&2; exit 1; }
echo "simulated ZUV-3917 on COM$port (log: $dir/sim$port.log)"
"$@"
