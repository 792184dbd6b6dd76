#!/usr/bin/env bash
# start-tool.sh [TOOL ARGUMENTS...]: starts the tool (Tavo_Ladu330_Pk27Tool.exe
# in build/run/app, built and copied there as scripts/run.sh does) under Wine
# with these arguments, e.g. --replay FILE [--speed F] (FILE may be a Linux
# path: Wine reads /a/b as Z:\a\b), and the simulated module on COM5.
#   With a display ($DISPLAY set): the tool opens there; close it to end.
#   Without one: it runs on a private virtual display for TOOL_SECONDS
#   (default 5; a replay is started first), its version label is printed, a
#   screenshot is saved to build/run/tool.png and it is closed.
# There is no plain "wine" command: the session runs /usr/lib/wine/wine64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

app="$root/build/run/app"
bash scripts/build-tool.sh "$app" >/dev/null
export ZUV_SIM="$root/build/host/bin/zuv_sim" SIM_ARGS="${SIM_ARGS:-}"
export WINE_SESSION_PORTS=5
wine=/usr/lib/wine/wine64
# An argument naming an existing file or folder becomes its absolute path: the
# tool may run in another folder than this shell.
args=()
for a in "$@"; do
  if [ -e "$a" ]; then args+=("$(realpath "$a")"); else args+=("$a"); fi
done
set -- ${args[@]+"${args[@]}"}
if [ -n "${DISPLAY:-}" ]; then
  WINE_SESSION_NO_X=1 exec scripts/wine-session.sh build/run/wine-tool -- \
    bash scripts/with-simulator.sh 5 "$wine" "$app/Tavo_Ladu330_Pk27Tool.exe" "$@"
fi
# The arguments as one command line, each in quotes.
line=""
for a in "$@"; do line+=" \"$a\""; done
export TOOL_LINE=${line# } TOOL_APP=$app TOOL_DRIVER=$root/build/win/bin/tooldriver.exe
export TOOL_SHOT=$root/build/run/tool.png TOOL_SECONDS=${TOOL_SECONDS:-5}
scripts/wine-session.sh build/run/wine-tool -- bash scripts/with-simulator.sh 5 bash -c '
  set -eu
  class=Tavo_Ladu330_Pk27Tool; out=$(mktemp)
  drive() { /usr/lib/wine/wine64 "$TOOL_DRIVER" "$@" >"$out" 2>/dev/null; tr -d "\r" <"$out"; }
  drive run "$TOOL_APP/Tavo_Ladu330_Pk27Tool.exe" --args "$TOOL_LINE" --class "$class" --timeout 60000 >/dev/null
  pid=$(tr -d "\r" <"$out" | sed -n "s/^pid=//p")
  [ -n "$pid" ] || { echo "the tool did not start" >&2; exit 1; }
  # A replay is started, as its start button would.
  case "$TOOL_LINE" in *--replay*) sleep 1; drive click --pid "$pid" --class "$class" --id 1105 >/dev/null ;; esac
  sleep "$TOOL_SECONDS"
  echo "version label: $(drive text --pid "$pid" --class "$class" --id 1208 | sed -n "s/^text=//p")"
  X_SCREENSHOT_CROP=1 X_SCREENSHOT_ZORDER="/usr/lib/wine/wine64 $TOOL_DRIVER zorder" \
    bash scripts/x-screenshot.sh "$TOOL_SHOT"
  echo "screenshot:    $TOOL_SHOT"
  # A box the arguments brought (a file that cannot be played) is closed first.
  drive dismiss --pid "$pid" --timeout 500 >/dev/null || true
  drive close --pid "$pid" --class "$class" >/dev/null || true
  drive wait-exit --pid "$pid" --timeout 60000 --kill | sed "s/^exit=/exit code:     /"
  rm -f "$out"'
