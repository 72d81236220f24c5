#!/usr/bin/env bash
# Builds both builds and runs every test: native (under ASan/UBSan), Windows under Wine,
# and the end-to-end tests that drive the real Quorvex.exe in Xvfb. Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

qrx_setup
qrx_build_native
qrx_build_win32
qrx_need_display
qrx_wine_env

status=0
qrx_log "screenshots"
"$QRX_ROOT/scripts/screenshots.sh" "$QRX_BUILD/screenshots" || status=1
qrx_log "native tests"
ctest --test-dir "$QRX_BUILD/native" --output-on-failure -j "$QRX_JOBS" || status=1
qrx_log "Windows tests under Wine (display $DISPLAY)"
ctest --test-dir "$QRX_BUILD/win32" --output-on-failure || status=1
exit $status
