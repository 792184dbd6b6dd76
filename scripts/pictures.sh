#!/usr/bin/env bash
# Renews the README's pictures in docs/pictures/ (then commit them): builds as
# scripts/run.sh does and runs the tool headless on a private virtual display
# with the simulated module on COM5, from a fresh folder (build/pictures/app):
# the main job as run.sh does it, then the tour (scripts/tour/*.sh, in name
# order: chart, replay, CSV export, profile, tuning assistant) and a second run in English (main window,
# parameter dialog). Windows are laid in the order Windows stacks them
# (scripts/x-screenshot.sh with the tool driver's Win32 z-order).
# PICTURES=DIR writes them elsewhere.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

app="$root/build/pictures/app"
pictures=${PICTURES:-$root/docs/pictures}
rm -rf "$app"
bash scripts/build-tool.sh "$app"
mkdir -p "$pictures"
pictures=$(cd "$pictures" && pwd)

export ZUV_SIM="$root/build/host/bin/zuv_sim" SIM_ARGS="${SIM_ARGS:-}"
export WINE_SESSION_PORTS=5
unset DISPLAY
scripts/wine-session.sh build/pictures/wine -- bash scripts/with-simulator.sh 5 \
  bash scripts/headless-run.sh "$app" "$root/build/win/bin/tooldriver.exe" "$root/build/pictures/screenshot.png" \
  "$pictures"
echo "pictures:      $pictures"
