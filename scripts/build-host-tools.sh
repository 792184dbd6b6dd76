#!/usr/bin/env bash
# Installs what is missing and builds the host tools only: the module
# simulator zuv_sim, the recording reader zuv_rec and the parameter tool
# zuv_cfg, in the host build that scripts/test.sh uses: build/host/bin.
# Safe to run again: it builds only what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh >/dev/null
cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
tools=(zuv_sim zuv_rec zuv_cfg)
cmake --build build/host -j "${JOBS:-2}" --target "${tools[@]}"
for t in "${tools[@]}"; do echo "$root/build/host/bin/$t"; done
