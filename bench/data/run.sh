#!/usr/bin/env bash
# Loading full data files with the program's loaders: natively and, in the Windows build, under
# Wine. Beside each loader, a plain read of the same bytes.
#
#   bench/data/run.sh [RUNS]      (default 15)
# Builds under $QRX_BENCH_DIR (default /tmp/qrx-bench-data).
set -euo pipefail
ROOT=${QRX_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
RUNS=${1:-15}
WORK=${QRX_BENCH_DIR:-/tmp/qrx-bench-data}

log() { printf '== %s\n' "$*" >&2; }

log "native build"
cmake -S "$ROOT" -B "$WORK/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQRX_BENCH=ON >/dev/null
cmake --build "$WORK/native" -j 2 --target qrx_data_load_bench >/dev/null
# The 32-bit Windows build where this machine runs 32-bit code, else the 64-bit one.
source "$ROOT/scripts/lib.sh"
qrx_find_runnable_builds
win=${QRX_RUNNABLE[0]:?no Windows build can run here: $(qrx_runnable_summary)}
log "Windows build ($win)"
cmake -S "$ROOT" -B "$WORK/$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQRX_BENCH=ON \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$(qrx_toolchain "$win").cmake" >/dev/null
cmake --build "$WORK/$win" -j 2 --target qrx_data_load_bench >/dev/null

mkdir -p "$WORK/files-native" "$WORK/files-$win"
echo "native (x86-64 Linux):"
"$WORK/native/bin/qrx_data_load_bench" "$WORK/files-native" "$RUNS"
echo "$win Windows build under Wine:"
"$WORK/$win/wine-run" "$WORK/$win/bin/qrx_data_load_bench.exe" "Z:$WORK/files-$win" "$RUNS"
WINEPREFIX="$WORK/$win/wineprefix" wineserver -k 2>/dev/null || true
