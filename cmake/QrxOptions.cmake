# Compiler settings shared by every target of ours.

option(QRX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer (native build)" OFF)

# Warnings are errors in our own code; third-party code (GoogleTest) keeps its own flags.
function(qrx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor)
endfunction()

if(QRX_SANITIZE)
  if(WIN32)
    message(FATAL_ERROR "QRX_SANITIZE is for the native build")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Texts in the sources are UTF-8, and so are the program's strings: they go to the system
  # through the wide (W) functions, converted at the call.
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600 NOMINMAX STRICT)
  # libgcc, libstdc++ and winpthread go into the executables so they start on a stock Windows.
  add_link_options(-static)

  # Cross-built tests run under Wine in the build's private prefix.
  set(QRX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Private Wine prefix of this build")
  # A 64-bit build runs under Wine's 64-bit loader, called by its path: /usr/bin/wine picks the
  # 32-bit loader whenever the 32-bit part of Wine is installed.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QRX_WINEARCH win64)
    set(QRX_WINE_LOADER /usr/lib/wine/wine64)
  else()
    set(QRX_WINEARCH win32)
    set(QRX_WINE_LOADER wine)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
