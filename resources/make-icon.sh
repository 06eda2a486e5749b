#!/usr/bin/env bash
# Draws the program icon, inkwright.png (256 x 256): a page of text lines and a
# pen on the header purple of the main window. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 256x256 xc:none \
    -fill 'rgb(64,0,64)' -draw 'roundrectangle 8,8 247,247 40,40' \
    -fill 'rgb(255,255,255)' -draw 'roundrectangle 44,52 212,212 10,10' \
    -fill 'rgb(160,160,176)' \
    -draw 'rectangle 64,80 170,90' -draw 'rectangle 64,106 192,116' \
    -draw 'rectangle 64,132 150,142' -draw 'rectangle 64,158 120,168' \
    -fill 'rgb(192,255,192)' -stroke 'rgb(32,96,32)' -strokewidth 4 \
    -draw 'polygon 150,196 232,96 212,80 134,182' \
    -fill 'rgb(32,96,32)' -stroke none -draw 'polygon 134,182 150,196 124,212' \
    -depth 8 -strip -define png:exclude-chunks=date,time \
    inkwright.png
