# Cross build of the product: 32-bit Windows with Debian's mingw-w64.
# The posix-thread flavour of the compiler is the one with std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QRX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${QRX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QRX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${QRX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QRX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
