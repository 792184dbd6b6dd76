#!/usr/bin/env bash
# popup-check.sh PROBE_EXE SCREENSHOT: run inside scripts/wine-session.sh.
# Starts the pop-up probe (a dialog that raises a message box it owns), waits
# until the box is up, takes screenshots of the display (xwd -root) until the
# middle of the box is not black, and saves the last one as SCREENSHOT.
# Exit 0 when the box is painted, 1 when it stayed black, 2 on other failures.
# With WINE_SESSION_DESKTOP=WxH the probe runs in a Wine virtual desktop of
# that size.
# Build the probe with
#   x86_64-w64-mingw32-g++-posix -O2 -municode -mwindows -static \
#     -o popup_probe.exe scripts/popup-probe/probe.cpp
set -uo pipefail
probe=$1; shot=$2
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
rect="$work/rect.txt"
probe_pid=
finish() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

winrect=$("$wine" winepath -w "$rect" 2>/dev/null | tr -d '\r')
if [ -n "${WINE_SESSION_DESKTOP:-}" ]; then
  "$wine" explorer "/desktop=${WINE_SESSION_DESKTOP_NAME:-session},$WINE_SESSION_DESKTOP" \
    "$probe" "$winrect" >/dev/null 2>&1 &
else
  "$wine" "$probe" "$winrect" >/dev/null 2>&1 &
fi
probe_pid=$!

for _ in $(seq 600); do [ -s "$rect" ] && break; sleep 0.1; done
[ -s "$rect" ] || { echo "popup-check: the message box did not come up" >&2; exit 2; }
read -r l t r b < <(tr -d '\r' <"$rect")
w=$((r - l)); h=$((b - t))
echo "box rectangle: $l $t $r $b"
# The middle of the box face, clear of the caption (which may sit lower on the
# X side than Windows says) and of the border.
cx=$((l + w / 4)); cy=$((t + h / 2)); cw=$((w / 2)); ch=$((h / 4))

mean=0
for _ in $(seq 20); do
  if [ -n "${POPUP_CHECK_PER_WINDOW:-}" ]; then
    bash "$(dirname "$0")/x-screenshot.sh" "$shot" || continue
  else
    xwd -root -display "$DISPLAY" -out "$work/s.xwd" 2>/dev/null || continue
    convert "$work/s.xwd" "$shot"
  fi
  mean=$(convert "$shot" -crop "${cw}x${ch}+${cx}+${cy}" +repage -colorspace Gray -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { exit !(m > 0.25) }' && break
  sleep 0.5
done
echo "box face mean brightness: $mean (0 black, 1 white)"
echo "screenshot: $shot"
awk -v m="$mean" 'BEGIN { exit !(m > 0.25) }'
