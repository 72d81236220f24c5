# Cross build for 64-bit Windows with Debian's mingw-w64, from the same sources as the
# 32-bit product. It runs where the machine cannot execute 32-bit code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QRX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${QRX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QRX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${QRX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QRX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
