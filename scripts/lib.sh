# Shared by the run and test commands: set-up, builds and the X display.
# Sourced, not run.

QRX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QRX_BUILD=${QRX_BUILD:-$QRX_ROOT/build}
QRX_JOBS=${QRX_JOBS:-$(nproc)}

qrx_log() { printf '== %s\n' "$*" >&2; }

# Debian packages the builds and tests need; installed when missing.
QRX_PACKAGES="cmake ninja-build g++ clang googletest zlib1g-dev g++-mingw-w64-i686 mingw-w64-tools
  wine wine32:i386 wine64 xvfb xdotool imagemagick util-linux"

qrx_setup() {
  local missing=() p
  for p in $QRX_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  qrx_log "installing: ${missing[*]}"
  local sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

qrx_build_win32() {
  cmake -S "$QRX_ROOT" -B "$QRX_BUILD/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$QRX_ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$QRX_BUILD/win32" -j "$QRX_JOBS"
}

# The native build of the portable core, under AddressSanitizer and UBSan.
qrx_build_native() {
  cmake -S "$QRX_ROOT" -B "$QRX_BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQRX_SANITIZE=ON >/dev/null
  cmake --build "$QRX_BUILD/native" -j "$QRX_JOBS"
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

qrx_wine_env() {
  export WINEPREFIX="$QRX_BUILD/win32/wineprefix" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
}

qrx_wine_stop() { [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null && wineserver -w 2>/dev/null; true; }

# The fuzz build: clang with libFuzzer, AddressSanitizer and UBSan, in a folder of its own.
# Configures it and prints the folder; build targets in it with cmake --build.
qrx_configure_fuzz() {
  local build="$QRX_BUILD/fuzz"
  command -v clang++ >/dev/null || qrx_setup >&2
  CC=clang CXX=clang++ cmake -S "$QRX_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQRX_SANITIZE=ON -DQRX_FUZZ=ON >/dev/null
  echo "$build"
}
