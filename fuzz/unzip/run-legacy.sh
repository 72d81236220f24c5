#!/usr/bin/env bash
# Builds the decoders' fuzz targets (one per method; clang, libFuzzer, ASan and UBSan) in their own build folder and runs each for a bounded time from its seeds here.
# Usage: fuzz/unzip/run-legacy.sh [seconds per target, default 60]
# Prints each target's executions; exits non-zero when a target found a crash, a leak or a
# timeout (the input is kept in the target's findings folder).
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
seconds=${1:-60}
build=$(qrx_configure_fuzz)
status=0
for decoder in unshrink explode inflate inflate64 bunzip2 lzma zstd xz; do
  target=unzip_decoder_fuzz_$decoder
  ninja -C "$build" -j "$QRX_JOBS" "$target" >/dev/null
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  cp -n "$QRX_ROOT/fuzz/unzip/seeds_$decoder/"* "$corpus/"
  qrx_log "$target: $seconds s"
  if ! "$build/bin/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=1024 \
       -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$findings/log.txt" 2>&1; then
    status=1
    qrx_log "$target: FINDING, see $findings"
  fi
  grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec|^#[0-9]+ +DONE' "$findings/log.txt" || tail -3 "$findings/log.txt"
done
exit $status
