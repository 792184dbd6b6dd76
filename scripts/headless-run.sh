#!/usr/bin/env bash
# headless-run.sh APPDIR DRIVER SCREENSHOT: inside a Wine session, starts the
# tool, prints what its main window shows, saves a screenshot and closes it.
# Driver output goes through files: a program the driver starts keeps a pipe
# open for as long as it runs.
set -euo pipefail
app=$1; driver=$2; shot=$3
wine=/usr/lib/wine/wine64
class=Tavo_Ladu330_Pk27Tool
out=$(mktemp)
trap 'rm -f "$out"' EXIT

drive() { "$wine" "$driver" "$@" >"$out" 2>/dev/null; tr -d '\r' <"$out"; }

drive run "$app/Tavo_Ladu330_Pk27Tool.exe" --class "$class" --timeout 60000 >/dev/null
pid=$(tr -d '\r' <"$out" | sed -n 's/^pid=//p')
[ -n "$pid" ] || { echo "the tool did not start" >&2; exit 1; }
drive text --pid "$pid" --class "$class" | sed 's/^text=/caption:   /'
drive text --pid "$pid" --class "$class" --id 1208 | sed 's/^text=/version:   /'
drive text --pid "$pid" --class "$class" --id 1102 | sed 's/^text=/baud rate: /'
xwd -root -display "$DISPLAY" -out "${shot%.png}.xwd"
convert "${shot%.png}.xwd" "$shot" && rm -f "${shot%.png}.xwd"
echo "screenshot:    $shot"
drive close --pid "$pid" --class "$class" >/dev/null
drive wait-exit --pid "$pid" --timeout 60000 --kill | sed 's/^exit=/exit code: /'
echo "configuration: $app/appConfig.xml"
