#!/usr/bin/env bash
# The antispyware registry phase at full size (10,000 class keys, 40,000 database entries):
# the comparison natively and in the Windows build under Wine (hand-overs excluded), then the
# real worker's registry phase under Wine on keys seeded in the build's prefix (hand-overs
# included). The Windows part needs an X display (DISPLAY) for the hand-over window.
#
#   bench/spyware/run.sh [RUNS]      (default 15)
# Builds under $QRX_BENCH_DIR (default /tmp/qrx-bench-spyware); QRX_BENCH_TOOLCHAIN picks the
# Windows toolchain file (default cmake/mingw-x86_64.cmake, for machines that run no 32-bit code).
set -euo pipefail
ROOT=${QRX_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
RUNS=${1:-15}
WORK=${QRX_BENCH_DIR:-/tmp/qrx-bench-spyware}
TOOLCHAIN=${QRX_BENCH_TOOLCHAIN:-$ROOT/cmake/mingw-x86_64.cmake}

log() { printf '== %s\n' "$*" >&2; }

log "native build"
cmake -S "$ROOT" -B "$WORK/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQRX_BENCH=ON >/dev/null
cmake --build "$WORK/native" -j 2 --target qrx_spyware_compare_bench >/dev/null
log "Windows build"
cmake -S "$ROOT" -B "$WORK/win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQRX_BENCH=ON \
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" >/dev/null
cmake --build "$WORK/win" -j 2 --target qrx_spyware_compare_bench qrx_spyware_phase_bench >/dev/null

echo "comparison, native (x86-64 Linux):"
"$WORK/native/bin/qrx_spyware_compare_bench" "$RUNS"
echo "comparison, Windows build under Wine:"
"$WORK/win/wine-run" "$WORK/win/bin/qrx_spyware_compare_bench.exe" "$RUNS"
echo "registry phase of the worker, Windows build under Wine:"
mkdir -p "$WORK/files"
"$WORK/win/wine-run" "$WORK/win/bin/qrx_spyware_phase_bench.exe" "Z:$WORK/files" "$(( RUNS < 5 ? RUNS : 5 ))"
WINEPREFIX="$WORK/win/wineprefix" wineserver -k 2>/dev/null || true
