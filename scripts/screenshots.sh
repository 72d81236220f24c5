#!/usr/bin/env bash
# Screenshots of the main window, both option pages and the update notice, taken by the GUI
# driver in the build's Wine virtual desktop and kept as PNG files in the folder given.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

out=${1:-$QRX_BUILD/screenshots}
mkdir -p "$out"
qrx_need_display
rm -f "$out"/*.bmp "$out"/*.png
"$QRX_BUILD/win32/wine-run" "$QRX_BUILD/win32/bin/qrx_gui_driver.exe" "$QRX_BUILD/win32/bin/Quorvex.exe" \
  --screenshots "$out" >"$out/driver.log"
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
qrx_log "screenshots in $out: $(cd "$out" && echo *.png)"
