#!/usr/bin/env bash
# Builds the engine's libFuzzer target with clang (ASan + UBSan + coverage everywhere in
# the engine) and runs it for a bounded time. Exits non-zero on a finding.
#
#   fuzz/engine/run.sh [SECONDS]      (default 60)
# Crashing inputs are kept in $QRX_FUZZ_DIR/artifacts (default /tmp/qrx-fuzz-engine).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SECONDS_TO_RUN=${1:-60}
WORK=${QRX_FUZZ_DIR:-/tmp/qrx-fuzz-engine}
BUILD=$WORK/build

command -v clang++ >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang >/dev/null

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRX_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$BUILD" -j 2 --target engine_fuzz >/dev/null

# Seeds: an EICAR-like text pattern with data, a gapped one, and raw records.
mkdir -p "$WORK/corpus" "$WORK/artifacts"
printf '\001\0204142434445\n4D5A::9090\n41??43\0xxABCDEyyMZzz\220\220' > "$WORK/corpus/seed-text"
printf '\003\005??41::4243\n4?4?4?4?::::\0AABBBCxxxxxxxxxxxxxxxx' > "$WORK/corpus/seed-gaps"
{ printf '\000'; head -c 963 /dev/zero | tr '\0' A; } > "$WORK/corpus/seed-records"

"$BUILD/bin/engine_fuzz" "$WORK/corpus" -max_total_time="$SECONDS_TO_RUN" -max_len=4096 \
  -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 2>&1 | tail -25
