# Shared by the run and test commands: set-up, builds, the Windows builds this machine can run,
# and the X display. Sourced, not run.

QRX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QRX_BUILD=${QRX_BUILD:-$QRX_ROOT/build}
QRX_JOBS=${QRX_JOBS:-$(nproc)}

qrx_log() { printf '== %s\n' "$*" >&2; }

# Debian packages the builds and tests need; installed when missing. The 32-bit part of Wine
# installs everywhere, even where the machine cannot execute it.
QRX_PACKAGES="cmake ninja-build g++ clang googletest zlib1g-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine32:i386 wine64 xvfb xdotool imagemagick util-linux wixl"

# The packages of the arguments that are not installed, one a line.
qrx_missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

qrx_as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

qrx_setup() {
  local missing
  # shellcheck disable=SC2086
  missing=$(qrx_missing_packages $QRX_PACKAGES)
  [ -z "$missing" ] && return 0
  qrx_log "installing:" $missing
  qrx_as_root dpkg --add-architecture i386
  qrx_as_root apt-get update -q
  # shellcheck disable=SC2086
  qrx_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# The peers a benchmark runs beside ours, installed when missing.
qrx_install_peers() {
  local missing
  missing=$(qrx_missing_packages "$@")
  [ -z "$missing" ] && return 0
  qrx_log "installing:" $missing
  # shellcheck disable=SC2086
  qrx_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing >/dev/null
}

# The Windows builds: win32 is the product we ship, win64 the same sources for 64-bit Windows.
qrx_toolchain() { case "$1" in win32) echo mingw-i686 ;; win64) echo mingw-x86_64 ;; esac; }

qrx_build_windows() {
  cmake -S "$QRX_ROOT" -B "$QRX_BUILD/$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$QRX_ROOT/cmake/$(qrx_toolchain "$1").cmake" >/dev/null
  cmake --build "$QRX_BUILD/$1" -j "$QRX_JOBS"
}

# The native build of the portable core, under AddressSanitizer and UBSan.
qrx_build_native() {
  cmake -S "$QRX_ROOT" -B "$QRX_BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQRX_SANITIZE=ON >/dev/null
  cmake --build "$QRX_BUILD/native" -j "$QRX_JOBS"
}

# What a Wine loader that cannot start says, on one line.
qrx_loader_error() { { "$1" --version 2>&1 || true; } | tail -n 1 | sed "s|^.*: ||"; }

# Sets QRX_RUNNABLE to the Windows builds this machine can run, best first, and QRX_SKIPPED to
# why the others cannot. Some machines cannot execute 32-bit code at all; QRX_WIN64_ONLY=1
# takes that path on any machine.
qrx_find_runnable_builds() {
  QRX_RUNNABLE=() QRX_SKIPPED=()
  if [ "${QRX_WIN64_ONLY:-0}" = 1 ]; then
    QRX_SKIPPED+=("win32 skipped: QRX_WIN64_ONLY=1")
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    QRX_RUNNABLE+=(win32)
  else
    QRX_SKIPPED+=("win32 skipped: this machine cannot execute 32-bit code ($(qrx_loader_error /usr/lib/wine/wine))")
  fi
  if /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    QRX_RUNNABLE+=(win64)
  else
    QRX_SKIPPED+=("win64 skipped: Wine's 64-bit loader does not start ($(qrx_loader_error /usr/lib/wine/wine64))")
  fi
}

# One line: which Windows builds run here, and why any other does not.
qrx_runnable_summary() {
  local line="${QRX_RUNNABLE[*]:-none}"
  [ ${#QRX_SKIPPED[@]} -eq 0 ] || line+=" ($(IFS=';'; echo "${QRX_SKIPPED[*]}" | sed 's/;/; /g'))"
  echo "$line"
}

# Gives the caller an X display: the one it has, or a private Xvfb that ends with the script.
qrx_need_display() {
  if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  QRX_XVFB_PID=$!
  # Wine goes first: its processes would complain of a display that vanished under them.
  trap 'qrx_wine_stop; kill $QRX_XVFB_PID 2>/dev/null' EXIT
  export DISPLAY=":$n"
  local i
  for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  qrx_log "Xvfb did not start"; return 1
}

# Ends the Wine processes of every build's prefix.
qrx_wine_stop() {
  local prefix
  for prefix in "$QRX_BUILD"/win32/wineprefix "$QRX_BUILD"/win64/wineprefix; do
    [ -d "$prefix" ] || continue
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null && WINEPREFIX="$prefix" wineserver -w 2>/dev/null
  done
  true
}

# The fuzz build: clang with libFuzzer, AddressSanitizer and UBSan, in a folder of its own.
# Configures it and prints the folder; build targets in it with cmake --build.
qrx_configure_fuzz() {
  local build="$QRX_BUILD/fuzz"
  command -v clang++ >/dev/null || qrx_setup >&2
  CC=clang CXX=clang++ cmake -S "$QRX_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQRX_SANITIZE=ON -DQRX_FUZZ=ON >/dev/null
  echo "$build"
}
