#!/usr/bin/env bash
# The extractor's benchmark: builds qrxunzip (Release, no sanitizers) and the decode-only
# reference, installs the peers when missing, makes the archives once (kept in the build
# folder) and runs everything side by side on one core.
# Usage: bench/unzip/run.sh [megabytes of mixed content, default 300] [repetitions, default 2]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
megabytes=${1:-300}
repetitions=${2:-2}
build="$QRX_BUILD/bench-unzip"
qrx_setup

qrx_install_peers unzip 7zip python3 zlib1g-dev libdeflate-dev util-linux

cmake -S "$QRX_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j "$QRX_JOBS" qrxunzip >/dev/null
cc -O2 -o "$build/inflate_reference" "$QRX_ROOT/bench/unzip/inflate_reference.c" -lz -ldeflate

qrx_log "archives (made once) in $build/data"
python3 "$QRX_ROOT/bench/unzip/make_archives.py" "$build/data" "$QRX_ROOT/tests/data/zip" "$megabytes"
python3 "$QRX_ROOT/bench/unzip/bench.py" "$build/bin/qrxunzip" "$build/inflate_reference" "$build/data" "$repetitions"
