#!/usr/bin/env bash
# Unshrink and explode against Debian's unzip and 7zz (package 7zip): builds qrxunzip
# (Release, no sanitizers), installs the peers when missing, grows the archives once from the
# corpus' PKZIP members (kept in the build folder) and runs everything on one core.
# Usage: bench/unzip/legacy-run.sh [repetitions, default 3]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
repetitions=${1:-3}
build="$QRX_BUILD/bench-unzip"
qrx_setup

qrx_install_peers unzip 7zip python3 util-linux

cmake -S "$QRX_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j "$QRX_JOBS" qrxunzip >/dev/null
python3 "$QRX_ROOT/bench/unzip/legacy_bench.py" "$build/bin/qrxunzip" "$build/legacy-data" \
  "$QRX_ROOT/tests/data/zip" "$repetitions"
