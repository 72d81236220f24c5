#!/usr/bin/env bash
# Builds everything (native, 32-bit and 64-bit Windows) and runs every test: native (under
# ASan/UBSan), then the Windows tests under Wine, with the end-to-end tests that drive the real
# Quorvex.exe in Xvfb, on every Windows build this machine can run. Exits non-zero on any
# failure, and when no Windows build could run. QRX_WIN64_ONLY=1 runs the Windows tests of the
# 64-bit build only, as on a machine that cannot execute 32-bit code.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

qrx_setup
qrx_find_runnable_builds
qrx_build_native
qrx_build_windows win32
qrx_build_windows win64

status=0
qrx_log "native tests"
ctest --test-dir "$QRX_BUILD/native" --output-on-failure -j "$QRX_JOBS" || status=1

summary=$(qrx_runnable_summary)
if [ ${#QRX_RUNNABLE[@]} -eq 0 ]; then
  qrx_log "Windows tests: none can run on this machine: $summary"
  exit 1
fi
qrx_need_display
qrx_log "screenshots"
"$QRX_ROOT/scripts/screenshots.sh" "$QRX_BUILD/screenshots" "${QRX_RUNNABLE[0]}" || status=1
for build in "${QRX_RUNNABLE[@]}"; do
  qrx_log "Windows tests of the $build build under Wine (display $DISPLAY)"
  ctest --test-dir "$QRX_BUILD/$build" --output-on-failure -j "$QRX_JOBS" || status=1
done
qrx_log "Windows builds tested: $summary"
exit $status
