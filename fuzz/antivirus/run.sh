#!/usr/bin/env bash
# Builds the archive-walk fuzz target (clang, libFuzzer, ASan and UBSan) in its own build
# folder and runs it for a bounded time, starting from the seed archives here (make_seeds.py
# writes them) and the ZIP corpus. Exits non-zero on a finding.
#
#   fuzz/antivirus/run.sh [SECONDS]      (default 60)
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
seconds=${1:-60}
target=archive_walk_fuzz
build=$(qrx_configure_fuzz)
ninja -C "$build" -j "${QRX_JOBS}" $target >/dev/null

export TMPDIR=/dev/shm  # the archive and the walk's folder for temporary files
corpus="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$corpus" "$findings"
cp -n "$QRX_ROOT/fuzz/antivirus/seeds/"* "$corpus/" 2>/dev/null || true
find "$QRX_ROOT/tests/data/zip" -type f -size -64k ! -name '*.tsv' ! -name '*.md' \
  -exec cp -n {} "$corpus/" \; 2>/dev/null || true
qrx_log "$target: $seconds s"
log="$findings/log.txt"
status=0
if ! "$build/bin/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=1024 \
     -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
  status=1
  qrx_log "$target: FINDING, see $findings"
fi
grep -E '^#[0-9]+.*DONE|^Done|^archive_walk_fuzz:|^stat::number_of_executed_units' "$log" | tail -4 || tail -3 "$log"
exit $status
