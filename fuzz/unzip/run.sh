#!/usr/bin/env bash
# Builds the extractor's fuzz targets (clang, libFuzzer, ASan and UBSan) in their own build
# folder and runs each for a bounded time, starting from the seed archives here, the ZIP
# corpus and the method fixtures. Usage: fuzz/unzip/run.sh [seconds per target, default 60]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
seconds=${1:-60}
build=$(qrx_configure_fuzz)
targets=$(cd "$build" && ninja -t targets all | sed -n 's/^\(unzip_fuzz_[a-z_]*\): phony$/\1/p' | sort -u)
ninja -C "$build" -j "${QRX_JOBS}" $targets >/dev/null

export TMPDIR=/dev/shm  # the extraction folders of the whole-archive target
status=0
for target in $targets; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus" "$build/findings/$target"
  cp -n "$QRX_ROOT/fuzz/unzip/seeds/"* "$corpus/" 2>/dev/null || true
  find "$QRX_ROOT/tests/data/zip" "$QRX_ROOT/tests/unzip/methods" -type f -size -64k \
    ! -name '*.tsv' ! -name '*.md' ! -name '*.sh' \
    -exec cp -n {} "$corpus/" \; 2>/dev/null || true
  qrx_log "$target: $seconds s"
  log="$build/findings/$target/log.txt"
  if ! "$build/bin/$target" -max_total_time="$seconds" -max_len=262144 -timeout=10 -rss_limit_mb=1024 \
       -artifact_prefix="$build/findings/$target/" "$corpus" >"$log" 2>&1; then
    status=1
    qrx_log "$target: FINDING, see $build/findings/$target"
  fi
  grep -E '^#[0-9]+.*DONE|^Done' "$log" | tail -1 || tail -3 "$log"
done
exit $status
