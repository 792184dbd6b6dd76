# Sourced by bench/tool/run.sh and soak.sh: builds the simulator and the
# parser benchmark on the host and the tool with its benchmark for Windows.
# Sets host and win. A folder that is already configured is kept as it is.
host=${TOOL_BENCH_HOST_BUILD:-$root/build/tool-bench-host}
win=${TOOL_BENCH_WIN_BUILD:-$root/build/tool-bench-win}
jobs=${JOBS:-2}
[ -f "$host/CMakeCache.txt" ] ||
  cmake -S "$root" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOOL_SANITIZE=OFF >/dev/null
cmake --build "$host" -j "$jobs" --target zuv_sim parser_bench >/dev/null
[ -f "$win/CMakeCache.txt" ] ||
  cmake -S "$root" -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win" -j "$jobs" --target tool_bench Tavo_Ladu330_Pk27Tool >/dev/null
