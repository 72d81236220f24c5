#!/usr/bin/env bash
# Builds Quorvex and starts it under Wine with the default data: the 32-bit build where this
# machine can run it, else the 64-bit one (QRX_WIN64_ONLY=1 picks the 64-bit one anyway).
# With a display the window opens there; without one it runs in a Wine virtual desktop
# under Xvfb and a screenshot of the main window is written to the path printed at the end.
# Exits non-zero when Quorvex could not be started or its main window did not show.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

qrx_setup
qrx_find_runnable_builds
if [ ${#QRX_RUNNABLE[@]} -eq 0 ]; then
  qrx_log "no Windows build can run on this machine: $(qrx_runnable_summary)"
  exit 1
fi
build=${QRX_RUNNABLE[0]}
qrx_log "running the $build build; Windows builds this machine runs: $(qrx_runnable_summary)"
qrx_build_windows "$build"
bin="$QRX_BUILD/$build/bin"

own_display=1
if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then own_display=0; fi
qrx_need_display
# The build's prefix runs every program in one Wine virtual desktop, where the check finds the window.
if ! "$QRX_BUILD/$build/wine-run" "$bin/qrx_start_check.exe" "$bin/Quorvex.exe" "Quorvex v1.5.0" 60; then
  qrx_log "Quorvex ($build build) did not start under Wine"
  exit 1
fi

if [ $own_display -eq 0 ]; then
  echo "Quorvex ($build build) is running on display $DISPLAY"
  WINEPREFIX="$QRX_BUILD/$build/wineprefix" wineserver -w
  exit 0
fi
sleep 2
shot="$QRX_BUILD/quorvex-main-window.png"
import -window root "$shot"
echo "Quorvex ($build build) ran under Xvfb; screenshot of the main window: $shot"
