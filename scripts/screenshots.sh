#!/usr/bin/env bash
# Screenshots of the main window, both option pages and the update notice, taken by the GUI
# driver in a Windows build's Wine virtual desktop and kept as PNG files in the folder given.
# Usage: scripts/screenshots.sh [folder] [win32|win64, default win32]
set -euo pipefail
source "$(dirname "$0")/lib.sh"

out=${1:-$QRX_BUILD/screenshots}
build=${2:-win32}
bin="$QRX_BUILD/$build/bin"
mkdir -p "$out"
qrx_need_display
rm -f "$out"/*.bmp "$out"/*.png
"$QRX_BUILD/$build/wine-run" "$bin/qrx_gui_driver.exe" "$bin/Quorvex.exe" --screenshots "$out" >"$out/driver.log"
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
qrx_log "screenshots of the $build build in $out: $(cd "$out" && echo *.png)"
