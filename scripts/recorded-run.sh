#!/usr/bin/env bash
# recorded-run.sh DIST DRIVER OUT: inside a Wine session with the simulator on COM5
# (SIM_ARGS with --frames N), runs the tool from a fresh copy of DIST: connect,
# start, wait for N log lines, stop, close; copies what it wrote to OUT
# (appConfig.xml, recording.dat, the log without its time stamps). Two builds
# given the same simulator run write the same files: compare OUT with cmp.
#   SIM_ARGS="--frames 300 --scenario random --seed 7 --noise 3 --bad-trailer-every 17 --period 20" \
#   WINE_SESSION_PORTS=5 scripts/wine-session.sh DIR -- bash scripts/with-simulator.sh 5 bash scripts/recorded-run.sh DIST DRIVER OUT
set -eu
dist=$1; driver=$2; out=$3; n=${FRAMES:-300}
app=$(mktemp -d); cp -r "$dist"/. "$app"/
wine=/usr/lib/wine/wine64; class=Tavo_Ladu330_Pk27Tool; o=$(mktemp)
drive() { "$wine" "$driver" "$@" >"$o" 2>/dev/null || true; tr -d '\r' <"$o"; }
drive run "$app/Tavo_Ladu330_Pk27Tool.exe" --class "$class" --timeout 60000 >/dev/null
pid=$(tr -d '\r' <"$o" | sed -n 's/^pid=//p')
index=$(drive combo --pid "$pid" --class "$class" --id 1101 | grep '^item=' | grep -n '^item=COM5$' | cut -d: -f1)
drive select --pid "$pid" --class "$class" --id 1101 --index $((index - 1)) >/dev/null
drive click --pid "$pid" --class "$class" --id 1103 >/dev/null
for _ in $(seq 300); do drive text --pid "$pid" --class "$class" --id 1208 | grep -q Unknown || break; sleep 0.2; done
drive click --pid "$pid" --class "$class" --id 1105 >/dev/null
for _ in $(seq 600); do
  lines=$(cat "$app"/Log/*.log 2>/dev/null | wc -l)
  [ "$lines" -ge "$n" ] && break; sleep 0.2
done
sleep 1
drive click --pid "$pid" --class "$class" --id 1105 >/dev/null
drive close --pid "$pid" --class "$class" >/dev/null
drive wait-exit --pid "$pid" --timeout 60000 --kill >/dev/null
mkdir -p "$out"
cp "$app"/appConfig.xml "$out"/
cp "$app"/Log/*.dat "$out"/recording.dat
sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:.]+ //' "$app"/Log/*.log > "$out"/log-without-times.txt
ls -l "$app"/Log >> "$out"/listing.txt
rm -rf "$app" "$o"
