#!/bin/sh
# Draws the product icon (a blue shield with a white ring and tail) into quorvex.ico.
# Run by hand when the icon changes; the result is kept in the tree.
set -e
cd "$(dirname "$0")"
for size in 16 32 48; do
  convert -size 48x48 xc:none \
    -fill '#0052CC' -stroke '#002F7A' -strokewidth 2 \
    -draw "path 'M 24,3 L 43,10 L 41,28 Q 37,40 24,46 Q 11,40 7,28 L 5,10 Z'" \
    -fill none -stroke white -strokewidth 5 -draw "circle 24,23 24,13" \
    -stroke white -strokewidth 5 -draw "line 28,28 35,36" \
    -resize ${size}x${size} "icon-$size.png"
done
convert icon-16.png icon-32.png icon-48.png quorvex.ico
rm -f icon-16.png icon-32.png icon-48.png
