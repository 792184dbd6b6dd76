#!/usr/bin/env bash
# x-screenshot.sh OUT.png: a screenshot of $DISPLAY in which every window
# shows what it holds. A read of the root window alone (xwd -root) shows a
# pop-up that lies over another window of the Wine session as a black
# rectangle, while a read of the pop-up's own window has its contents: so the
# root is read first and each mapped top-level window is read by itself and
# laid over it at its place, lowest first. With X_SCREENSHOT_CROP=1 the
# picture is cut to the smallest rectangle holding every such window.
set -euo pipefail
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

xwd -root -display "$DISPLAY" -out "$work/root.xwd"
args=("$work/root.xwd")
# xwininfo lists the root's children topmost first; lay them lowest first.
mapfile -t ids < <(xwininfo -root -children -display "$DISPLAY" | awk '/^ +0x/ { print $1 }' | tac)
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
