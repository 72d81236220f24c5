# GoogleTest from Debian's sources, built with our own compiler and flags for either build.
enable_testing()

set(QRX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
if(NOT EXISTS ${QRX_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${QRX_GTEST_SOURCE}: install Debian's googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${QRX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# qrx_add_gtest(NAME SOURCES... [LIBS libs...])
# One test executable is one CTest test; in the cross build CTest runs it under Wine
# through CMAKE_CROSSCOMPILING_EMULATOR.
function(qrx_add_gtest name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBS")
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main)
  qrx_warnings(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# Under Wine, tests that open windows (found by caption, clicked with the real mouse) or plant
# files and keys in the prefix's Windows folder and registry share the prefix's one desktop and
# system: they run one at a time, beside the other tests, which use only scratch folders of
# their own. Called at the end of such a test folder's CMakeLists.txt, for all its tests or for
# those named. Other locks the tests hold are kept.
function(qrx_tests_share_wine_desktop)
  set(tests ${ARGN})
  if(NOT tests)
    get_property(tests DIRECTORY PROPERTY TESTS)
  endif()
  foreach(test IN LISTS tests)
    get_test_property(${test} RESOURCE_LOCK locks)
    if(NOT locks)
      set(locks "")
    endif()
    list(APPEND locks wine-desktop)
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${locks}")
  endforeach()
endfunction()
