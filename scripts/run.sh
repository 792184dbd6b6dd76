#!/usr/bin/env bash
# Installs what is missing, builds the Windows tool and the module simulator,
# and runs the tool under Wine with the simulated ZUV-3917 on COM5 (SIM_ARGS
# passes options to the simulator, e.g. SIM_ARGS="--scenario random").
#   With a display ($DISPLAY set): the tool opens there; close it to end.
#   Without one: the tool runs on a private virtual display, is shown for a
#   moment, a screenshot is saved to build/run/screenshot.png and the window
#   is closed again.
# The tool keeps its files (appConfig.xml, Log/) in build/run/app between runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win -j "${JOBS:-2}" --target Tavo_Ladu330_Pk27Tool Tavo_Common Tavo_DataProcess tooldriver_cli
cmake -S . -B build/sim -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOOL_SANITIZE=OFF >/dev/null
cmake --build build/sim -j "${JOBS:-2}" --target zuv_sim

app="$root/build/run/app"
mkdir -p "$app"
cp build/win/bin/Tavo_Ladu330_Pk27Tool.exe build/win/bin/*.dll "$app/"
cp -r build/win/bin/Image "$app/"

export ZUV_SIM="$root/build/sim/bin/zuv_sim" SIM_ARGS="${SIM_ARGS:-}"
export WINE_SESSION_PORTS=5
if [ -n "${DISPLAY:-}" ]; then
  WINE_SESSION_NO_X=1 scripts/wine-session.sh build/run/wine -- \
    bash scripts/with-simulator.sh 5 /usr/lib/wine/wine64 "$app/Tavo_Ladu330_Pk27Tool.exe"
else
  export TOUR_PICTURES="${TOUR_PICTURES-$root/docs/pictures}"
  scripts/wine-session.sh build/run/wine -- bash scripts/with-simulator.sh 5 \
    bash scripts/headless-run.sh "$app" "$root/build/win/bin/tooldriver.exe" "$root/build/run/screenshot.png"
fi
