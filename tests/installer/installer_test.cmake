# Installs the build's package with msiexec in a fresh Wine prefix of its own and checks what a
# user of Windows gets: the files in Program Files\Quorvex as the build made them, the Start menu
# shortcut, the entry in Programs and Features, a program that starts from its installed folder
# and finds an EICAR file in a quick scan. Then: removal leaves nothing of the package, a second
# install of the same package is harmless, and a later version built from the same .wxs replaces
# the installed one.
# Arguments: -DMSI=package -DARCH=x86|x64 -DVERSION=x.y.z -DWIXL=wixl -DWXS=Quorvex.wxs -DBIN=build-bin
#            -DICON=quorvex.ico -DWINE=loader -DWINEARCH=win32|win64 -DSTART_CHECK=exe -DSCAN_DRIVER=exe
#            -DWORK=scratch-folder
set(PREFIX ${WORK}/prefix)
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEARCH} ${WINEARCH})
set(ENV{WINEDEBUG} -all)
# No debugger on a crash, no Mono or Gecko installers in the fresh prefix.
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=;winedbg.exe=d")

set(INSTALLED_FILES Quorvex.exe TN_SSCAN.DLL QRX_SIG.DAT QRX_SIG2.DAT qrx_bhotb.dat)
set(INSTALL_DIR "${PREFIX}/drive_c/Program Files/Quorvex")
set(INSTALL_DIR_WINDOWS "C:\\Program Files\\Quorvex")
# Windows puts a per-machine shortcut in the common Start menu; Wine's installer puts it in the
# installing user's.
set(SHORTCUT_PLACES "${PREFIX}/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvex")

# Ends every process of this test's prefix, and of no other.
function(stop_wine)
  if(EXISTS ${PREFIX})
    execute_process(COMMAND wineserver -k RESULT_VARIABLE ignored ERROR_QUIET)
    execute_process(COMMAND wineserver -w TIMEOUT 30 RESULT_VARIABLE ignored ERROR_QUIET)
  endif()
endfunction()

function(fail what)
  stop_wine()
  message(FATAL_ERROR "${what}")
endfunction()

# The condition goes in as arguments: no empty text and no list in it (expect_equal takes those).
function(expect what)
  if(NOT (${ARGN}))
    fail("${what}")
  endif()
endfunction()

function(expect_equal what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    fail("${what}: '${actual}', not '${expected}'")
  endif()
endfunction()

# Runs a Wine program of the prefix; its exit code goes to CODE, its output to OUT and ERR. The
# output goes through files: a program it leaves running would hold a pipe open.
function(wine)
  execute_process(COMMAND ${WINE} ${ARGN} TIMEOUT 120 RESULT_VARIABLE code
                  OUTPUT_FILE ${WORK}/wine.out ERROR_FILE ${WORK}/wine.err)
  file(READ ${WORK}/wine.out out)
  file(READ ${WORK}/wine.err err)
  string(REPLACE "\r" "" out "${out}")
  set(CODE "${code}" PARENT_SCOPE)
  set(OUT "${out}" PARENT_SCOPE)
  set(ERR "${err}" PARENT_SCOPE)
  list(JOIN ARGN " " command)
  message(STATUS "${command} -> ${code}")
endfunction()

function(windows_path unix_path out)
  string(REPLACE "/" "\\" path "Z:${unix_path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

function(msiexec action package)
  windows_path(${package} path)
  wine(msiexec ${action} ${path} /qn)
  set(CODE "${CODE}" PARENT_SCOPE)
endfunction()

# The display version of each uninstall entry named Quorvex, in UNINSTALL_VERSIONS.
function(read_uninstall_entries)
  wine(reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s)
  set(versions "")
  set(quorvex FALSE)
  string(REPLACE ";" "," out "${OUT}")
  string(REPLACE "\n" ";" lines "${out}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^HKEY_")
      set(quorvex FALSE)
    elseif(line MATCHES "^ +DisplayName +REG_SZ +Quorvex$")
      set(quorvex TRUE)
    elseif(quorvex AND line MATCHES "^ +DisplayVersion +REG_SZ +(.*)$")
      list(APPEND versions "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(UNINSTALL_VERSIONS "${versions}" PARENT_SCOPE)
endfunction()

# The installed shortcut (.lnk), in SHORTCUT, or empty.
function(find_shortcut)
  set(found "")
  file(GLOB user_menus LIST_DIRECTORIES true
       "${PREFIX}/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quorvex")
  foreach(folder IN ITEMS ${SHORTCUT_PLACES} ${user_menus})
    if(EXISTS "${folder}/Quorvex.lnk")
      list(APPEND found "${folder}/Quorvex.lnk")
    endif()
  endforeach()
  set(SHORTCUT "${found}" PARENT_SCOPE)
endfunction()

function(expect_installed version)
  message(STATUS "checking the installation of ${version}")
  file(GLOB installed RELATIVE "${INSTALL_DIR}" "${INSTALL_DIR}/*")
  list(SORT installed)
  set(expected ${INSTALLED_FILES})
  list(SORT expected)
  expect_equal("the files in Program Files\\Quorvex" "${installed}" "${expected}")
  foreach(name IN LISTS INSTALLED_FILES)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${INSTALL_DIR}/${name}" ${BIN}/${name}
                    RESULT_VARIABLE differs)
    expect("the installed ${name} differs from the build's" differs EQUAL 0)
  endforeach()

  find_shortcut()
  list(LENGTH SHORTCUT shortcuts)
  expect_equal("the Start menu shortcuts" "${shortcuts}" 1)
  # The target's path is in the link's ANSI LocalBasePath, its icon's path in UTF-16.
  file(READ "${SHORTCUT}" link HEX)
  string(HEX "${INSTALL_DIR_WINDOWS}\\Quorvex.exe" target)
  string(TOLOWER "${target}" target)
  string(FIND "${link}" "${target}" at)
  expect("the shortcut does not lead to ${INSTALL_DIR_WINDOWS}\\Quorvex.exe" NOT at EQUAL -1)
  string(FIND "${link}" "510075006f0072007600650078002e00690063006f00" at)  # Quorvex.ico in UTF-16LE
  expect("the shortcut does not show the program's icon" NOT at EQUAL -1)

  read_uninstall_entries()
  expect_equal("the versions of the uninstall entries" "${UNINSTALL_VERSIONS}" "${version}")
  # ARPPRODUCTICON: Programs and Features shows the product's icon, kept by the installer.
  wine(reg query "HKLM\\Software\\Classes\\Installer\\Products" /s /v ProductIcon)
  expect("no product icon registered:\n${OUT}"
         OUT MATCHES "ProductIcon +REG_SZ +C:\\\\windows\\\\Installer\\\\{[-0-9A-F]+}\\\\Quorvex.ico")
  file(GLOB icons "${PREFIX}/drive_c/windows/Installer/*/Quorvex.ico")
  list(LENGTH icons icon_count)
  expect_equal("the product icons kept" "${icon_count}" 1)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${icons}" ${ICON} RESULT_VARIABLE differs)
  expect("the product icon is not the program's" differs EQUAL 0)
endfunction()

function(expect_removed)
  message(STATUS "checking the removal")
  expect("Program Files\\Quorvex is left" NOT EXISTS "${INSTALL_DIR}")
  find_shortcut()
  expect_equal("the shortcuts left" "${SHORTCUT}" "")
  file(GLOB user_menus LIST_DIRECTORIES true
       "${PREFIX}/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quorvex")
  expect("the common Start menu's Quorvex folder is left" NOT EXISTS "${SHORTCUT_PLACES}")
  expect_equal("the user's Start menu's Quorvex folders left" "${user_menus}" "")
  file(GLOB icons "${PREFIX}/drive_c/windows/Installer/*/Quorvex.ico")
  expect_equal("the product icons left" "${icons}" "")
  read_uninstall_entries()
  expect_equal("the uninstall entries left" "${UNINSTALL_VERSIONS}" "")
  wine(reg query "HKLM\\Software\\Quorvex")
  expect("the shortcut's registry key is left" NOT CODE EQUAL 0)
endfunction()

# A fresh prefix; a run killed by its timeout may have left processes in the last one.
stop_wine()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
wine(wineboot -i)
expect("the fresh prefix did not come up" CODE EQUAL 0 AND EXISTS ${PREFIX}/drive_c/windows/system32)
# One virtual desktop, as in the build's prefix: windows get captions without a window manager.
wine(reg add "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Default /f)
wine(reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Default /d 1024x768 /f)

msiexec(/i ${MSI})
expect("msiexec /i ${MSI} -> ${CODE}" CODE EQUAL 0)
expect_installed(${VERSION})

wine(${START_CHECK} "${INSTALL_DIR_WINDOWS}\\Quorvex.exe" "Quorvex v${VERSION}" 60)
expect("the installed program did not show its window:\n${OUT}${ERR}" CODE EQUAL 0)
# The program is left running by the check; ending it frees its files for what follows.
stop_wine()
wine(${SCAN_DRIVER} "${INSTALL_DIR_WINDOWS}\\Quorvex.exe" threats)
expect("the installed program's quick scan:\n${OUT}${ERR}" CODE EQUAL 0)
stop_wine()

msiexec(/x ${MSI})
expect("msiexec /x ${MSI} -> ${CODE}" CODE EQUAL 0)
expect_removed()

# Installing twice: the second run finds the product installed (1638) or repairs it (0).
msiexec(/i ${MSI})
expect("msiexec /i ${MSI} again -> ${CODE}" CODE EQUAL 0)
msiexec(/i ${MSI})
expect("a second msiexec /i ${MSI} -> ${CODE}" CODE EQUAL 0 OR CODE EQUAL 1638)
expect_installed(${VERSION})

# A later version from the same source replaces the installed one.
string(REGEX REPLACE "[0-9]+$" "" later "${VERSION}")
string(REGEX MATCH "[0-9]+$" patch "${VERSION}")
math(EXPR patch "${patch} + 1")
set(later "${later}${patch}")
get_filename_component(wxs_dir ${WXS} DIRECTORY)
file(RELATIVE_PATH bin_from_source ${wxs_dir} ${BIN})
file(RELATIVE_PATH icon_from_source ${wxs_dir} ${ICON})
set(later_msi ${WORK}/Quorvex-${later}-${ARCH}.msi)
execute_process(COMMAND ${WIXL} -a ${ARCH} -D Arch=${ARCH} -D Version=${later} -D BinDir=${bin_from_source}
                        -D IconFile=${icon_from_source} -o ${later_msi} ${WXS} RESULT_VARIABLE code)
expect("wixl could not build version ${later}" code EQUAL 0 AND EXISTS ${later_msi})
msiexec(/i ${later_msi})
expect("msiexec /i ${later_msi} -> ${CODE}" CODE EQUAL 0)
expect_installed(${later})

msiexec(/x ${later_msi})
expect("msiexec /x ${later_msi} -> ${CODE}" CODE EQUAL 0)
expect_removed()
stop_wine()
# A failed run keeps its prefix for a look; a passed one frees its space (hundreds of MB).
file(REMOVE_RECURSE ${PREFIX})
