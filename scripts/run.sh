#!/usr/bin/env bash
# Installs what is missing, builds the Windows tool and the module simulator,
# and runs the tool under Wine with the simulated ZUV-3917 on COM5 (SIM_ARGS
# passes options to the simulator, e.g. SIM_ARGS="--scenario random" or
# SIM_ARGS="--scene office", a room that follows the parameters written).
#   With a display ($DISPLAY set): the tool opens there; close it to end.
#   Without one: the tool runs on a private virtual display, connects to COM5,
#   starts, a screenshot is saved to build/run/screenshot.png, and it stops
#   and closes again; the paths of that run's recording and log are printed.
# The tool keeps its files (appConfig.xml, Log/) in build/run/app between runs.
# Everything it writes is under build/run/; the README's pictures are renewed
# by scripts/pictures.sh instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

app="$root/build/run/app"
bash scripts/build-tool.sh "$app"

export ZUV_SIM="$root/build/host/bin/zuv_sim" SIM_ARGS="${SIM_ARGS:-}"
export WINE_SESSION_PORTS=5
if [ -n "${DISPLAY:-}" ]; then
  WINE_SESSION_NO_X=1 scripts/wine-session.sh build/run/wine -- \
    bash scripts/with-simulator.sh 5 /usr/lib/wine/wine64 "$app/Tavo_Ladu330_Pk27Tool.exe"
else
  scripts/wine-session.sh build/run/wine -- bash scripts/with-simulator.sh 5 \
    bash scripts/headless-run.sh "$app" "$root/build/win/bin/tooldriver.exe" "$root/build/run/screenshot.png"
fi
