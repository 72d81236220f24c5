#!/usr/bin/env bash
# The scan of one tree by an earlier commit and by the work tree: the worker's walk under Wine
# and qrxscan -z natively, each pinned to one core, on the whole tree and on its archives
# alone. The commit is built from a git worktree of its own, removed at the end. The runs of
# the two versions alternate, each going first every other time, so that a change in the
# machine's load falls on both alike.
#
#   bench/scan/compare.sh COMMIT [SMALL_FILES] [ARCHIVES] [RUNS]     (defaults: 17500 1000 5)
#
# The tree is run.sh's (same cache, same seed); builds go to $QRX_BUILD/scan-compare. Prints,
# for each tool and folder, the medians of wall and CPU seconds of both versions, the ratio
# earlier / now, the finds against the planted list, and the 1-minute load average around
# the runs.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: compare.sh COMMIT [SMALL_FILES] [ARCHIVES] [RUNS]" >&2; exit 2; }
COMMIT=$1
source "$HERE/run.sh" "${2:-17500}" "${3:-1000}" "${4:-5}"
NOW_ROOT=$ROOT
OUT=$QRX_BUILD/scan-compare
EARLIER_ROOT=/tmp/qrx-earlier-$COMMIT
FOLDERS=("$DATA/tree" "$DATA/tree/zips")

# Points run.sh's functions at one version's sources and builds.
use() {
  case $1 in
    earlier) ROOT=$EARLIER_ROOT ;;
    now) ROOT=$NOW_ROOT ;;
  esac
  BUILD=$OUT/$1-native WINBUILD=$OUT/$1-win64
}

load() { cut -d' ' -f1 /proc/loadavg; }

# How many finds of the last run of TOOL differ from the planted ones below FOLDER.
differences() {
  verdicts_$1 < "$WORK/$1.out" > "$WORK/$1.files"
  { grep "^$2/" "$DATA/infected.txt" || true; } | sort | comm -3 - "$WORK/$1.files" | wc -l
}

declare -A WALLS CPUS DIFFER
LOADS=()

# One run of each tool and version on FOLDER; RUN's parity picks which version goes first.
measure_round() {
  local folder=$1 run=$2 versions=(earlier now) tool version wall cpu
  ((run % 2 == 0)) || versions=(now earlier)
  for tool in walk qrx; do
    for version in "${versions[@]}"; do
      use "$version"
      LOADS+=("$(load)")
      read -r wall cpu < <(measure "$tool" 1 "$folder")
      WALLS[$tool $folder $version]+=" $wall"
      CPUS[$tool $folder $version]+=" $cpu"
      DIFFER[$tool $folder $version]=$(differences "$tool" "$folder")
    done
  done
}

report() {
  local folder tool version key wall cpu earlier
  printf '\n%-5s %-6s %-8s %8s %8s %11s  %-22s %s\n' tool folder version "wall s" "cpu s" "vs planted" \
    "earlier/now: wall, cpu" "wall s of each run"
  for folder in "${FOLDERS[@]}"; do
    for tool in walk qrx; do
      for version in earlier now; do
        key="$tool $folder $version"
        # shellcheck disable=SC2086
        wall=$(median ${WALLS[$key]}) cpu=$(median ${CPUS[$key]})
        [ "$version" = now ] || earlier="$wall $cpu"
        printf '%-5s %-6s %-8s %8s %8s %5s differ  %-22s%s\n' "$tool" "$(basename "$folder")" "$version" "$wall" \
          "$cpu" "${DIFFER[$key]}" \
          "$([ "$version" = earlier ] || awk -v e="$earlier" -v w="$wall" -v c="$cpu" \
             'BEGIN { split(e, x, " "); printf "%.2f, %.2f", x[1] / w, x[2] / c }')" "${WALLS[$key]}"
      done
    done
  done
  printf '\ntree: %s files, %s of them ZIP archives; %s runs each; 1-minute load %s to %s, median %s\n' \
    "$(find "$DATA/tree" -type f | wc -l)" "$(find "$DATA/tree" -name '*.zip' | wc -l)" "$RUNS" \
    "$(printf '%s\n' "${LOADS[@]}" | sort -g | head -1)" "$(printf '%s\n' "${LOADS[@]}" | sort -g | tail -1)" \
    "$(median "${LOADS[@]}")"
}

stop_wine() {
  local version
  for version in earlier now; do WINEPREFIX="$OUT/$version-win64/wineprefix" wineserver -k 2>/dev/null || true; done
}

main_compare() {
  git -C "$NOW_ROOT" worktree add --detach "$EARLIER_ROOT" "$COMMIT" >/dev/null
  trap 'stop_wine; git -C "$NOW_ROOT" worktree remove --force "$EARLIER_ROOT"' EXIT
  local version folder run
  for version in earlier now; do
    log "building $version"
    use "$version"
    build
  done
  generate
  log "warming the page cache and the Wine prefixes"
  find "$DATA/tree" -type f -print0 | xargs -0 cat > /dev/null
  for version in earlier now; do
    use "$version"
    "$WINBUILD/wine-run" cmd /c exit > /dev/null 2>&1 || true
  done
  for folder in "${FOLDERS[@]}"; do
    for ((run = 0; run < RUNS; run++)); do
      log "$(basename "$folder"): round $((run + 1)) of $RUNS"
      measure_round "$folder" "$run"
    done
  done
  LOADS+=("$(load)")
  report
}

main_compare
