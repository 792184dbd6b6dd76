#!/usr/bin/env bash
# Installs what is missing, builds the Windows tool and runs it under Wine.
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
cmake --build build/win -j "${JOBS:-2}" --target Tavo_Ladu330_Pk27Tool Tavo_Common tooldriver_cli

app="$root/build/run/app"
mkdir -p "$app"
cp build/win/bin/Tavo_Ladu330_Pk27Tool.exe build/win/bin/*.dll "$app/"

if [ -n "${DISPLAY:-}" ]; then
  WINE_SESSION_NO_X=1 scripts/wine-session.sh build/run/wine -- \
    /usr/lib/wine/wine64 "$app/Tavo_Ladu330_Pk27Tool.exe"
else
  scripts/wine-session.sh build/run/wine -- bash scripts/headless-run.sh "$app" "$root/build/win/bin/tooldriver.exe" \
    "$root/build/run/screenshot.png"
fi
