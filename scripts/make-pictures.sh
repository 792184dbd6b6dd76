#!/usr/bin/env bash
# Draws the tool's own pictures (committed under res/; run again after a
# change): the chart background (resource 198) and the three person pictures
# installed in the folder "Image" beside the executable. Needs ImageMagick and
# the WenQuanYi font (both installed by scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/../res"
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
mkdir -p Image

# 1156 x 500 RGBA: white ground, blue side edges, orange bottom line, two
# light-blue columns dividing the width in three, three dashed grey-blue rows
# dividing the height in four, blue captions.
background() {
  convert -size 1156x500 xc:white \
    -stroke '#2F6FD0' -strokewidth 4 -draw 'line 2,0 2,499' -draw 'line 1153,0 1153,499' \
    -stroke '#F28C28' -strokewidth 4 -draw 'line 0,497 1155,497' \
    -stroke '#9CC8F0' -strokewidth 2 -draw 'line 385,0 385,499' -draw 'line 770,0 770,499' \
    -stroke '#8FA3BF' -strokewidth 1 \
    -draw 'stroke-dasharray 8 6 line 0,125 1155,125' \
    -draw 'stroke-dasharray 8 6 line 0,250 1155,250' \
    -draw 'stroke-dasharray 8 6 line 0,375 1155,375' \
    -stroke none -fill '#1E5BB8' -font "$font" -pointsize 22 \
    -annotate +14+32 "$1" -annotate "$2" "$3" \
    "PNG32:$4"
}
background '距离:厘米' +1040+482 '时间:秒' ChartBackground.png
background 'Distance: cm' +1050+482 'Time: s' ChartBackgroundEnglish.png

# Person pictures, 200 x 200, opaque on the dialog colour (the label draws a
# picture over nothing: transparent pixels would show black).
convert -size 200x200 xc:'#F0F0F0' -fill '#E8453C' -draw 'circle 100,42 100,18' \
  -fill none -stroke '#E8453C' -strokewidth 16 \
  -draw 'line 100,70 100,125' -draw 'line 100,80 62,108' -draw 'line 100,80 142,100' \
  -draw 'line 100,125 66,180' -draw 'line 100,125 140,176' \
  PNG32:Image/HumanMotion.png
convert -size 200x200 xc:'#F0F0F0' -fill '#2E8B57' -draw 'circle 100,42 100,18' \
  -fill none -stroke '#2E8B57' -strokewidth 16 \
  -draw 'line 100,70 100,125' -draw 'line 100,80 76,128' -draw 'line 100,80 124,128' \
  -draw 'line 100,125 84,185' -draw 'line 100,125 116,185' \
  PNG32:Image/HumanMotionLess.png
convert -size 200x200 xc:'#F0F0F0' -fill none -stroke '#A0A0A0' -strokewidth 6 \
  -draw 'stroke-dasharray 12 8 circle 100,100 100,20' \
  PNG32:Image/HumanNobody.png
