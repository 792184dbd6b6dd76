#!/usr/bin/env bash
# build-tool.sh APPDIR: installs what is missing, builds the Windows tool (with
# its DLLs and the test driver tooldriver.exe) and the host tools
# (scripts/build-host-tools.sh), and copies the tool into APPDIR (the
# executable, the DLLs and Image/; what the tool wrote there stays).
# Used by scripts/run.sh and scripts/pictures.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
app=$1

bash scripts/install-deps.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win -j "${JOBS:-2}" --target Tavo_Ladu330_Pk27Tool Tavo_Common Tavo_DataProcess tooldriver_cli
bash scripts/build-host-tools.sh >/dev/null

mkdir -p "$app"
cp build/win/bin/Tavo_Ladu330_Pk27Tool.exe build/win/bin/*.dll "$app/"
cp -r build/win/bin/Image "$app/"
