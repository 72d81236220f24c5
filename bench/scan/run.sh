#!/usr/bin/env bash
# The antivirus scan of a whole tree, side by side: the worker's walk under Wine (hand-overs
# and the engine library included), qrxscan -z natively, and clamscan -r with the same
# signatures in its .ndb form, archive scanning on; each pinned to one core.
#
#   bench/scan/run.sh [SMALL_FILES] [ARCHIVES] [RUNS]     (defaults: 17500 300 3)
#
# The tree: the engine benchmark's generator writes 37,999 signatures and about 160 MB of
# real files with planted occurrences; make_tree.py adds SMALL_FILES slices of headers and
# moves files into ARCHIVES ZIP archives (deflated, one in ten with a nested archive).
# Inputs are cached under $QRX_BENCH_DIR (default /tmp/qrx-bench-scan). Archives are unpacked
# into $QRX_BENCH_TMP (default /dev/shm) by qrxscan and clamscan alike; Wine unpacks into its
# prefix's temporary folder. Installs Debian's clamav when missing; never updates signatures.
set -euo pipefail
ROOT=${QRX_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
source "$ROOT/scripts/lib.sh"
SMALL=${1:-17500}
ARCHIVES=${2:-300}
RUNS=${3:-3}
SEED=${QRX_BENCH_SEED:-20261210}
WORK=${QRX_BENCH_DIR:-/tmp/qrx-bench-scan}
BUILD=${QRX_BENCH_BUILD:-$WORK/build}
WINBUILD=${QRX_BENCH_WIN_BUILD:-$ROOT/build/win64}
SCRATCH=${QRX_BENCH_TMP:-/dev/shm}
GEN=$WORK/gen-$SEED
DATA=$WORK/tree-$SMALL-$ARCHIVES-$SEED
CPU=${QRX_BENCH_CPU:-1}

log() { printf '== %s\n' "$*" >&2; }

build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQRX_SANITIZE=OFF -DQRX_BENCH=ON >/dev/null
  cmake --build "$BUILD" -j 2 --target qrxscan qrx_bench_gen >/dev/null
  cmake -S "$ROOT" -B "$WINBUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQRX_BENCH=ON \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" >/dev/null
  cmake --build "$WINBUILD" -j 2 --target qrx_walk_bench >/dev/null
}

generate() {
  if [ ! -f "$GEN/done" ]; then
    log "generating the signatures and the corpus in $GEN"
    rm -rf "$GEN"
    "$BUILD/bin/qrx_bench_gen" "$GEN" $((160 << 20)) 37999 "$SEED" /usr/include /usr/share/doc /usr/lib >&2
    touch "$GEN/done"
  fi
  if [ ! -f "$DATA/done" ]; then
    log "building the tree in $DATA"
    python3 "$ROOT/bench/scan/make_tree.py" "$GEN/corpus" "$GEN/planted.txt" "$DATA" "$SMALL" "$ARCHIVES" "$SEED"
    touch "$DATA/done"
  fi
}

# Each tool's command on the tree; its output is turned into the sorted paths on disk it
# found infected.
run_walk() {
  taskset -c "$CPU" "$WINBUILD/wine-run" "$WINBUILD/bin/qrx_walk_bench.exe" "Z:$GEN/sigs.txt" "Z:$1"
}
run_qrx() { TMPDIR="$SCRATCH" taskset -c "$CPU" "$BUILD/bin/qrxscan" -q -z -s "$GEN/sigs.txt" "$1"; }
run_clam() {
  taskset -c "$CPU" clamscan --infected --no-summary -d "$GEN/sigs.ndb" -r --tempdir="$SCRATCH" \
    --scan-archive=yes --scan-pe=no --scan-elf=no --scan-ole2=no --scan-pdf=no --scan-html=no --scan-mail=no \
    --scan-swf=no --scan-xmldocs=no --scan-image=no --scan-image-fuzzy-hash=no --scan-hwp3=no --scan-onenote=no \
    --heuristic-alerts=no --alert-broken=no --max-filesize=2000M --max-scansize=2000M --max-scantime=3600000 \
    --max-recursion=16 --max-files=10000 "$1"
}
verdicts_walk() { tr -d '\r' | grep -v '^#' | cut -f1 | sed 's/^Z://; s#\\#/#g' | sort -u; }
verdicts_qrx() { grep -v '^#' | cut -f1 | sed 's/ : .*$//' | sort -u; }
verdicts_clam() { sed -n 's/^\(.*\): .*\.UNOFFICIAL FOUND$/\1/p' | sort -u; }

median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# measure TOOL RUNS [FOLDER]: prints "wall_seconds cpu_seconds" medians of the scans of FOLDER
# (default: the whole tree); keeps the last output in $WORK/TOOL.out
measure() {
  local tool=$1 runs=$2 folder=${3:-$DATA/tree} secs=() cpus=() i s u y
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e %U %S' -o "$WORK/time" \
      bash -c "$(declare -f run_$tool); $(declare -p GEN BUILD WINBUILD SCRATCH CPU); run_$tool '$folder'" \
      > "$WORK/$tool.out" 2> "$WORK/$tool.err" || true
    read -r s u y < <(tail -1 "$WORK/time")
    secs+=("$s"); cpus+=("$(awk -v u="$u" -v y="$y" 'BEGIN { print u + y }')")
  done
  echo "$(median "${secs[@]}") $(median "${cpus[@]}")"
}

main() {
  qrx_install_peers clamav time util-linux
  build
  generate
  local bytes files
  bytes=$(find "$DATA/tree" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
  files=$(find "$DATA/tree" -type f | wc -l)
  log "warming the page cache"
  find "$DATA/tree" -type f -print0 | xargs -0 cat > /dev/null
  "$WINBUILD/wine-run" cmd /c exit > /dev/null 2>&1 || true  # the prefix comes up outside the timing

  printf '\n%-6s %9s %9s %11s %10s %10s %9s  %s\n' tool "wall s" "cpu s" "files/s" "MB/s wall" "MB/s cpu" \
    infected "vs planted"
  local tool wall cpu
  for tool in walk qrx clam; do
    log "$tool"
    read -r wall cpu < <(measure $tool "$RUNS")
    verdicts_$tool < "$WORK/$tool.out" > "$WORK/$tool.files"
    printf '%-6s %9s %9s %11.0f %10.1f %10.1f %9s  %s\n' "$tool" "$wall" "$cpu" \
      "$(awk -v f="$files" -v s="$wall" 'BEGIN { print f / s }')" \
      "$(awk -v b="$bytes" -v s="$wall" 'BEGIN { print b / s / 1e6 }')" \
      "$(awk -v b="$bytes" -v s="$cpu" 'BEGIN { print b / s / 1e6 }')" \
      "$(wc -l < "$WORK/$tool.files")" \
      "$(sort "$DATA/infected.txt" | comm -3 - "$WORK/$tool.files" | wc -l) differ"
  done
  WINEPREFIX="$WINBUILD/wineprefix" wineserver -k 2>/dev/null || true
  printf '\ntree: %s bytes in %s files, %s of them ZIP archives; infected on disk: %s\n' "$bytes" "$files" \
    "$(find "$DATA/tree" -name '*.zip' | wc -l)" "$(wc -l < "$DATA/infected.txt")"
}

# Sourced by compare.sh for its functions.
[ "${BASH_SOURCE[0]}" != "$0" ] || main "$@"
