#!/usr/bin/env bash
# headless-run.sh APPDIR DRIVER SCREENSHOT [PICTURES]: inside a Wine session
# with the simulated module on COM5, runs the tool's main job as a user would:
# connect to COM5, read the version, start reporting, watch for a few seconds,
# save a screenshot, stop and close; then prints the paths of that run's
# recording and log. With PICTURES (scripts/pictures.sh) it also takes the
# README's pictures there: the tour (scripts/tour/*.sh) before closing, then
# a second run in English. Driver output goes through a file: a program the
# driver starts keeps a pipe open for as long as it runs.
set -euo pipefail
app=$1; driver=$2; shot=$3; pictures=${4:-}
wine=/usr/lib/wine/wine64
class=Tavo_Ladu330_Pk27Tool
export X_SCREENSHOT_CROP=1  # the pictures show the tool's windows, not the empty screen
# Windows as Windows stacks them: an owned window (a dialog) above its owner.
export X_SCREENSHOT_ZORDER="$wine $driver zorder"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

drive() { "$wine" "$driver" "$@" >"$out" 2>/dev/null; tr -d '\r' <"$out"; }
text() { drive text --pid "$pid" --class "$class" --id "$1" | sed -n 's/^text=//p'; }

drive run "$app/Tavo_Ladu330_Pk27Tool.exe" --class "$class" --timeout 60000 >/dev/null
pid=$(tr -d '\r' <"$out" | sed -n 's/^pid=//p')
[ -n "$pid" ] || { echo "the tool did not start" >&2; exit 1; }
echo "caption:   $(drive text --pid "$pid" --class "$class" | sed -n 's/^text=//p')"

index=$(drive combo --pid "$pid" --class "$class" --id 1101 | grep '^item=' | grep -n '^item=COM5$' | cut -d: -f1)
if [ -n "$index" ]; then
  drive select --pid "$pid" --class "$class" --id 1101 --index $((index - 1)) >/dev/null
  drive click --pid "$pid" --class "$class" --id 1103 >/dev/null
  for _ in $(seq 50); do [ "$(text 1208)" != "固件版本:Unknown" ] && break; sleep 0.2; done
  echo "version:   $(text 1208)"
  drive click --pid "$pid" --class "$class" --id 1105 >/dev/null
  sleep 4  # let the simulated person walk in
  echo "distance:  $(text 1403) cm"
else
  echo "COM5 is not in the port list" >&2
fi
mkdir -p "$(dirname "$shot")"
bash "$(dirname "$0")/x-screenshot.sh" "$shot"
[ -n "$index" ] && drive click --pid "$pid" --class "$class" --id 1105 >/dev/null
# This run's files: the recording of the start above, the run's log.
recording=$(ls -t "$app"/Log/*.dat 2>/dev/null | head -n 1 || true)
log=$(ls -t "$app"/Log/*.log 2>/dev/null | head -n 1 || true)
# The pictures of the README's "Using the tool": each scripts/tour/*.sh, in
# name order, is sourced here with the tool stopped and still connected
# (wine, driver, drive, text, pid, class, app and pictures are set), takes its
# pictures into $pictures and leaves the tool as it found it.
if [ -n "$pictures" ] && [ -n "$index" ]; then
  mkdir -p "$pictures"
  for tour in "$(dirname "$0")"/tour/*.sh; do
    [ -e "$tour" ] || continue
    echo "tour:      $(basename "$tour")"
    # shellcheck source=/dev/null
    source "$tour"
  done
fi
drive close --pid "$pid" --class "$class" >/dev/null
drive wait-exit --pid "$pid" --timeout 60000 --kill | sed 's/^exit=/exit code: /'
# The same in English (Language="ENG"): the main window running, then the
# parameter dialog over it. The configuration is put back as it was.
if [ -n "$pictures" ] && [ -n "$index" ]; then
  cp "$app/appConfig.xml" "$out.config"
  sed -i '0,/<AppConfig/s//<AppConfig\n\tLanguage="ENG"/' "$app/appConfig.xml"
  drive run "$app/Tavo_Ladu330_Pk27Tool.exe" --class "$class" --timeout 60000 >/dev/null
  pid=$(tr -d '\r' <"$out" | sed -n 's/^pid=//p')
  if [ -n "$pid" ]; then
    drive select --pid "$pid" --class "$class" --id 1101 --index $((index - 1)) >/dev/null
    drive click --pid "$pid" --class "$class" --id 1103 >/dev/null
    for _ in $(seq 50); do [ "$(text 1208)" != "Firmware:Unknown" ] && break; sleep 0.2; done
    drive click --pid "$pid" --class "$class" --id 1105 >/dev/null
    sleep 3
    bash "$(dirname "$0")/x-screenshot.sh" "$pictures/english.png"
    drive click --pid "$pid" --class "$class" --id 1105 >/dev/null
    if declare -F profile_tour_steps >/dev/null; then
      # The dialog with the tour's profile loaded and its six written: the mark in English.
      profile_tour_steps "" "$pictures/english-parameters.png"
    else
      drive click --pid "$pid" --class "$class" --id 1104 >/dev/null
      sleep 1
      bash "$(dirname "$0")/x-screenshot.sh" "$pictures/english-parameters.png"
    fi
    if declare -F assistant_tour_steps >/dev/null; then
      assistant_tour_steps "$pictures/tuning-assistant.png"
    fi
    echo "english:   $pictures/english.png, $pictures/english-parameters.png"
    drive close --pid "$pid" --class "$class" >/dev/null
    drive wait-exit --pid "$pid" --timeout 60000 --kill >/dev/null
  fi
  cp "$out.config" "$app/appConfig.xml"
  rm -f "$out.config"
fi
echo "screenshot:    $shot"
echo "configuration: $app/appConfig.xml"
echo "recording:     ${recording:-none}"
echo "log:           ${log:-none}"
[ -n "$index" ]
