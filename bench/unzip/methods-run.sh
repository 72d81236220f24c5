#!/usr/bin/env bash
# Deflate64, bzip2, LZMA, XZ and Zstandard against 7zz (package 7zip) and the libraries' own
# command-line decoders: builds qrxunzip (Release, no sanitizers) and codec_blocks against the
# same vendored libraries, installs the peers when missing, makes the archives once (kept in
# the build folder) and runs everything on one core.
# Usage: bench/unzip/methods-run.sh [repetitions, default 5]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
repetitions=${1:-5}
build="$QRX_BUILD/bench-unzip"
qrx_setup

qrx_install_peers 7zip xz-utils zstd bzip2 python3 util-linux

cmake -S "$QRX_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j "$QRX_JOBS" qrxunzip qrx_bz2 qrx_lzma qrx_zstd >/dev/null
third="$QRX_ROOT/third_party"
c++ -O2 -std=c++17 -o "$build/codec_blocks" "$QRX_ROOT/bench/unzip/codec_blocks.cpp" -DLZMA_API_STATIC \
  -I"$third/bzip2" -I"$third/xz/src/liblzma/api" -I"$third/zstd/lib" \
  "$build/third_party/libqrx_lzma.a" "$build/third_party/libqrx_zstd.a" "$build/third_party/libqrx_bz2.a"

qrx_log "archives (made once) in $build/methods-data"
python3 "$QRX_ROOT/bench/unzip/methods_bench.py" "$build/bin/qrxunzip" "$build/codec_blocks" \
  "$build/methods-data" "$repetitions"
