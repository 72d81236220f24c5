# Runs the real qrxunzip (under Wine in the Windows build) on one archive of methods/ per
# method and on the encrypted ones: `list` names each member's method as the manifest has it,
# with " (encrypted)" after it for the encrypted members, and `test` exits 0, or 1 where
# encrypted members cannot be tested. (Every member of every fixture is decoded by
# unzip_methods_tests; a Wine start per archive costs seconds, so this runs on a chosen few.)
# Arguments: -DQRXUNZIP=exe [-DEMULATOR=runner] -DFIXTURES=folder-of-the-fixtures

set(names "0=stored" "1=shrunk" "6=imploded" "8=deflated" "9=deflate64" "12=bzip2" "14=lzma" "93=zstd" "95=xz"
          "99=aes")

# Sets `out` and `code` in the caller. The tools run in FIXTURES and are given names relative to it.
function(run_tool)
  execute_process(COMMAND ${EMULATOR} ${QRXUNZIP} ${ARGN} WORKING_DIRECTORY ${FIXTURES}
                  OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr RESULT_VARIABLE result)
  string(REPLACE "\r" "" stdout "${stdout}")
  set(out "${stdout}" PARENT_SCOPE)
  set(code "${result}" PARENT_SCOPE)
  list(JOIN ARGN " " command)
  message(STATUS "qrxunzip ${command} -> ${result}\n${stdout}${stderr}")
endfunction()

set(failures "")
function(expect what)
  if(NOT (${ARGN}))
    set(failures "${failures}\n  ${what}" PARENT_SCOPE)
  endif()
endfunction()

file(STRINGS ${FIXTURES}/MANIFEST.tsv lines)
list(POP_FRONT lines)  # column names
set(archives "")
foreach(line IN LISTS lines)
  string(REPLACE "\t" ";" cells "${line}")
  list(GET cells 0 archive)
  list(GET cells 1 member)
  list(GET cells 2 method)
  list(GET cells 3 flags)
  list(APPEND archives ${archive})
  list(APPEND members_${archive} ${member})
  set(shown "${method}")
  foreach(pair IN LISTS names)
    if(pair MATCHES "^${method}=(.*)$")
      set(shown "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  math(EXPR encrypted "0x${flags} & 1")
  if(encrypted)
    set(shown "${shown} (encrypted)")
    set(encrypted_${archive} 1)
  endif()
  set(shown_${archive}_${member} "${shown}")
endforeach()
list(REMOVE_DUPLICATES archives)
set(chosen deflate64-7zz.zip bzip2-zip.zip lzma-7zz-noeos.zip xz-raw.zip zstd-raw.zip zipcrypto-zip.zip aes-7zz.zip)
foreach(archive IN LISTS chosen)
  list(FIND archives ${archive} at)
  expect("${archive} is a fixture" NOT at EQUAL -1)
endforeach()

foreach(archive IN LISTS chosen)
  run_tool(list ${archive})
  expect("list ${archive} exits 0" code EQUAL 0)
  foreach(member IN LISTS members_${archive})
    set(line "\t${shown_${archive}_${member}}\t${member}\n")
    string(FIND "${out}" "${line}" at)
    expect("list ${archive} shows '${shown_${archive}_${member}}' for ${member}" NOT at EQUAL -1)
  endforeach()

  run_tool(test ${archive})
  if(encrypted_${archive})
    expect("test ${archive} exits 1 (encrypted members)" code EQUAL 1)
  else()
    expect("test ${archive} exits 0" code EQUAL 0)
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "qrxunzip over the method fixtures:${failures}")
endif()
