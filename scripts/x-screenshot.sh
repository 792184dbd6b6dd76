#!/usr/bin/env bash
# x-screenshot.sh OUT.png: a screenshot of $DISPLAY in which every window
# shows what it holds. A read of the root window alone (xwd -root) shows a
# pop-up that lies over another window of the Wine session as a black
# rectangle, while a read of the pop-up's own window has its contents: so the
# root is read first and each mapped top-level window is read by itself and
# laid over it at its place, lowest first. With X_SCREENSHOT_CROP=1 the
# picture is cut to the smallest rectangle holding every such window.
# Without a window manager the X stacking order need not be the one Windows
# shows (an owned window, such as a dialog, can lie below its owner in X
# while Windows keeps it above, and a covered window's pixels cannot be read):
# with X_SCREENSHOT_ZORDER set to a command that prints the Win32 z-order
# topmost first as "x11=XID" words (as "wine64 tooldriver.exe zorder" does),
# the windows it names are first raised in X in that order (xdotool), so the
# screen shows them as Windows would, and read after they have repainted.
set -euo pipefail
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

xwd -root -display "$DISPLAY" -out "$work/root.xwd"
args=("$work/root.xwd")
# xwininfo lists the root's children topmost first; lay them lowest first.
mapfile -t ids < <(xwininfo -root -children -display "$DISPLAY" | awk '/^ +0x/ { print $1 }' | tac)
if [ -n "${X_SCREENSHOT_ZORDER:-}" ]; then
  # shellcheck disable=SC2086
  mapfile -t win32 < <($X_SCREENSHOT_ZORDER 2>/dev/null | tr -d '\r' | sed -n 's/.*x11=\(0x[0-9a-f]*\).*/\1/p' |
    grep -v '^0x0$' | tac)
  if [ ${#win32[@]} -gt 0 ]; then
    for id in "${win32[@]}"; do xdotool windowraise "$id" 2>/dev/null || true; done
    sleep 0.5  # the raised windows repaint what was covered
    xwd -root -display "$DISPLAY" -out "$work/root.xwd"
    mapfile -t ids < <(xwininfo -root -children -display "$DISPLAY" | awk '/^ +0x/ { print $1 }' | tac)
  fi
fi
n=0
left=100000; top=100000; right=0; bottom=0
for id in "${ids[@]}"; do
  info=$(xwininfo -id "$id" -display "$DISPLAY" 2>/dev/null) || continue
  grep -q 'Map State: IsViewable' <<<"$info" || continue
  grep -q 'Class: InputOutput' <<<"$info" || continue
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/.*Width: *//p' <<<"$info")
  h=$(sed -n 's/.*Height: *//p' <<<"$info")
  if [ "$w" -gt 1 ] && [ "$h" -gt 1 ]; then
    left=$((x < left ? x : left)); top=$((y < top ? y : top))
    right=$((x + w > right ? x + w : right)); bottom=$((y + h > bottom ? y + h : bottom))
  fi
  n=$((n + 1))
  xwd -id "$id" -display "$DISPLAY" -out "$work/w$n.xwd" 2>/dev/null || continue
  args+=("$work/w$n.xwd" -geometry "+$x+$y" -composite)
done
if [ "${X_SCREENSHOT_CROP:-0}" = 1 ] && [ "$right" -gt "$left" ] && [ "$bottom" -gt "$top" ]; then
  args+=(-crop "$((right - left))x$((bottom - top))+$left+$top" +repage)
fi
convert "${args[@]}" "$out"
