#!/usr/bin/env bash
# Builds the data-file fuzz target with clang (ASan + UBSan) and runs it for a bounded time.
# Exits non-zero on a finding.
#
#   fuzz/data/run.sh [SECONDS]      (default 60)
# Crashing inputs are kept in $QRX_FUZZ_DIR/artifacts (default /tmp/qrx-fuzz-data).
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
ROOT=$QRX_ROOT
SECONDS_TO_RUN=${1:-60}
WORK=${QRX_FUZZ_DIR:-/tmp/qrx-fuzz-data}
BUILD=$(qrx_configure_fuzz)
cmake --build "$BUILD" -j "$QRX_JOBS" --target qrxdata_fuzz qrxdata >/dev/null

# Seeds: the shipped sources in either form, and their compiled files.
mkdir -p "$WORK/corpus" "$WORK/artifacts"
{ printf '\000'; cat "$ROOT/data/QRX_SIG.txt"; } > "$WORK/corpus/sigs-source"
{ printf '\001'; cat "$ROOT/data/qrx_bhotb.txt"; } > "$WORK/corpus/bho-source"
"$BUILD/bin/qrxdata" build-sigs "$ROOT/data/QRX_SIG2.txt" "$WORK/QRX_SIG2.DAT" >/dev/null
"$BUILD/bin/qrxdata" build-bho "$ROOT/data/qrx_bhotb.txt" "$WORK/qrx_bhotb.dat" >/dev/null
{ printf '\002'; cat "$WORK/QRX_SIG2.DAT"; } > "$WORK/corpus/sigs-data"
{ printf '\003'; cat "$WORK/qrx_bhotb.dat"; } > "$WORK/corpus/bho-data"

"$BUILD/bin/qrxdata_fuzz" "$WORK/corpus" -max_total_time="$SECONDS_TO_RUN" -max_len=8192 \
  -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 2>&1 | tail -25
