#!/usr/bin/env bash
# Side-by-side benchmark of the scanning engine (qrxscan), YARA and ClamAV on the same
# signatures and the same corpus, one core each, files in the page cache.
#
#   bench/engine/run.sh [CORPUS_MIB] [SIGNATURES] [RUNS]     (defaults: 1024 37999 3)
#
# Two signature sets, each with its own corpus (QRX_BENCH_SETS, default "own executables"):
# "own" draws signature bytes from byte frequencies over real files of all kinds; "executables"
# cuts signatures from executables and scans a corpus cut from executables.
#
# Inputs are generated once per size and seed under $QRX_BENCH_DIR (default /tmp/qrx-bench-engine).
# Throughput is given by wall time and by CPU time (user + system): on a machine shared with
# other work the second is the steadier figure.
# Installs Debian's yara and clamav when missing; never updates signatures or uses the network
# beyond that install.
set -euo pipefail
ROOT=${QRX_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
source "$ROOT/scripts/lib.sh"
CORPUS_MIB=${1:-1024}
SIGNATURES=${2:-37999}
RUNS=${3:-3}
SEED=${QRX_BENCH_SEED:-20261210}
WORK=${QRX_BENCH_DIR:-/tmp/qrx-bench-engine}
BUILD=${QRX_BENCH_BUILD:-$WORK/build}
SETS=${QRX_BENCH_SETS:-own executables}
CPU=${QRX_BENCH_CPU:-1}

log() { printf '== %s\n' "$*" >&2; }

build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQRX_SANITIZE=OFF -DQRX_BENCH=ON >/dev/null
  cmake --build "$BUILD" -j 2 --target qrxscan qrx_bench_gen >/dev/null
}

# generate SET: the signatures and corpus of one set, into $DATA.
generate() {
  if [ -f "$DATA/done" ]; then return 0; fi
  log "generating $SIGNATURES signatures ($1) and a $CORPUS_MIB MiB corpus in $DATA"
  rm -rf "$DATA"
  if [ "$1" = executables ]; then
    "$BUILD/bin/qrx_bench_gen" --executables "$DATA" $((CORPUS_MIB << 20)) "$SIGNATURES" "$SEED" \
      /usr/lib /usr/bin /usr/x86_64-w64-mingw32 >&2
  else
    "$BUILD/bin/qrx_bench_gen" "$DATA" $((CORPUS_MIB << 20)) "$SIGNATURES" "$SEED" \
      /usr/lib /usr/share/doc /usr/include /usr/bin >&2
  fi
  : > "$DATA/empty.bin"
  touch "$DATA/done"
}

# Each tool's command on a path; its output is turned into sorted "path<TAB>name" lines.
run_qrx()   { taskset -c "$CPU" "$BUILD/bin/qrxscan" -q -s "$DATA/sigs.txt" "$1"; }
run_yara()  { taskset -c "$CPU" yara -p 1 -r -w "$DATA/sigs.yar" "$1"; }
run_clam()  {
  taskset -c "$CPU" clamscan --infected --no-summary -d "$DATA/sigs.ndb" -r \
    --scan-archive=no --scan-pe=no --scan-elf=no --scan-ole2=no --scan-pdf=no --scan-html=no --scan-mail=no \
    --scan-swf=no --scan-xmldocs=no --scan-image=no --scan-image-fuzzy-hash=no --scan-hwp3=no --scan-onenote=no --heuristic-alerts=no --alert-broken=no \
    --max-filesize=2000M --max-scansize=2000M --max-scantime=3600000 "$1"
}
verdicts_qrx()  { sort -u; }
verdicts_yara() { awk '{ name = $1; $1 = ""; sub(/^ /, ""); print $0 "\t" name }' | sort; }
verdicts_clam() { sed -n 's/^\(.*\): \(.*\)\.UNOFFICIAL FOUND$/\1\t\2/p' | sort -u; }

# Median of the arguments.
median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# measure TOOL PATH RUNS: prints "wall_seconds cpu_seconds peak_kib" medians; keeps the last
# output in $WORK/TOOL.out
measure() {
  local tool=$1 path=$2 runs=$3 secs=() cpus=() peaks=() i s u y m
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e %U %S %M' -o "$WORK/time" bash -c "$(declare -f run_$tool); $(declare -p DATA BUILD CPU); run_$tool '$path'" \
      > "$WORK/$tool.out" 2> "$WORK/$tool.err" || true
    read -r s u y m < <(tail -1 "$WORK/time")
    secs+=("$s"); cpus+=("$(awk -v u="$u" -v y="$y" 'BEGIN { print u + y }')"); peaks+=("$m")
  done
  echo "$(median "${secs[@]}") $(median "${cpus[@]}") $(median "${peaks[@]}")"
}

# Megabytes per second for `bytes` over (total - load) seconds.
rate() { awk -v b="$1" -v t="$2" -v l="$3" 'BEGIN { s = t - l; printf "%.0f", b / (s > 0.001 ? s : 0.001) / 1e6 }'; }

# bench_set SET: one table of the three tools on one signature set and its corpus.
bench_set() {
  DATA=$WORK/data-$1-$CORPUS_MIB-$SIGNATURES-$SEED
  generate "$1"
  printf '\n### signatures: %s\n' "$1"
  local bytes
  bytes=$(du -sb "$DATA/corpus" | cut -f1)
  log "warming the page cache"
  cat $(find "$DATA/corpus" -type f) > /dev/null
  local read_s
  read_s=$( { /usr/bin/time -f '%e' bash -c "find '$DATA/corpus' -type f -print0 | xargs -0 cat > /dev/null"; } 2>&1 | tail -1)

  printf '\n%-6s %8s %9s %13s %12s %9s  %s\n' tool "load s" "peak MiB" "MB/s (wall)" "MB/s (cpu)" infected \
    "verdicts vs qrxscan"
  local tool load_s load_cpu total_s total_cpu peak_kib agree
  for tool in qrx yara clam; do
    log "$tool: load"
    read -r load_s load_cpu _ < <(measure $tool "$DATA/empty.bin" "$RUNS")
    log "$tool: scan"
    read -r total_s total_cpu peak_kib < <(measure $tool "$DATA/corpus" "$RUNS")
    verdicts_$tool < "$WORK/$tool.out" > "$WORK/$tool.verdicts"
    cut -f1 "$WORK/$tool.verdicts" | sort -u > "$WORK/$tool.files"
    if [ "$tool" = qrx ]; then
      agree="-"
    else
      agree="$(comm -3 "$WORK/qrx.files" "$WORK/$tool.files" | wc -l) files differ"
    fi
    printf '%-6s %8s %9d %13s %12s %9s  %s\n' "$tool" "$load_s" "$((peak_kib / 1024))" \
      "$(rate "$bytes" "$total_s" "$load_s")" "$(rate "$bytes" "$total_cpu" "$load_cpu")" \
      "$(wc -l < "$WORK/$tool.files")" "$agree"
  done
  printf '\nqrxscan load = reading the text file and building the engine; the build alone (initscan): %s s\n' \
    "$("$BUILD/bin/qrxscan" --stats -s "$DATA/sigs.txt" "$DATA/empty.bin" | sed -n 's/^# init-seconds: //p')"
  # Every name qrxscan gives must be among the rules YARA saw in that file.
  local names_ok
  names_ok=$(comm -23 "$WORK/qrx.verdicts" <(sort "$WORK/yara.verdicts") | wc -l)
  printf 'corpus: %s bytes in %s files; planted: %s; reading alone: %.0f MB/s\n' "$bytes" \
    "$(find "$DATA/corpus" -type f | wc -l)" "$(wc -l < "$DATA/planted.txt")" \
    "$(awk -v b="$bytes" -v s="$read_s" 'BEGIN { print b / (s > 0.001 ? s : 0.001) / 1e6 }')"
  printf 'qrxscan names not among the rules YARA matched in the same file: %s\n' "$names_ok"
  printf 'planted files qrxscan missed: %s\n' "$(cut -f1 "$DATA/planted.txt" | sort -u | comm -23 - "$WORK/qrx.files" | wc -l)"
  # Where the filter's work goes: positions, bitmap passes, atom hits, window passes, piece checks.
  "$BUILD/bin/qrxscan" -q --stats -s "$DATA/sigs.txt" "$DATA/corpus" | grep -E '^# (positions|bitmap|atom|window|piece)' || true
}

main() {
  qrx_install_peers yara clamav time util-linux
  build
  local set
  for set in $SETS; do bench_set "$set"; done
}

main "$@"
