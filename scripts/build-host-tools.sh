#!/usr/bin/env bash
# Installs what is missing and builds the host tools only: the module
# simulator zuv_sim and the recording reader zuv_rec (and zuv_cfg once it
# exists), in the host build that scripts/test.sh uses: build/host/bin.
# Safe to run again: it builds only what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh >/dev/null
cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
tools=(zuv_sim zuv_rec)
# Tools added later are built as soon as the build knows them.
for more in zuv_cfg; do
  cmake --build build/host --target help | grep -q "^$more:" && tools+=("$more")
done
cmake --build build/host -j "${JOBS:-2}" --target "${tools[@]}"
for t in "${tools[@]}"; do echo "$root/build/host/bin/$t"; done
