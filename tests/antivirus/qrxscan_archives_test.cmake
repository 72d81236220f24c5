# Runs the real qrxscan -z (under Wine in the Windows build) on a tree with ZIP archives made
# by CMake's own archiver, nested ones included, and checks the lines it prints.
# Arguments: -DQRXSCAN=exe [-DEMULATOR=runner] -DWORK=scratch-folder
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/tree/plain ${WORK}/pack/docs ${WORK}/inner ${WORK}/clean)
string(ASCII 88 53 79 33 80 37 64 65 80 91 52 92 80 90 88 53 52 40 80 94 41 55 67 67 41 55 125 36 EICAR_HEAD)
set(EICAR "${EICAR_HEAD}EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*")
string(HEX "${EICAR}" EICAR_HEX)
file(WRITE ${WORK}/sigs.txt "EICAR-From-Text\t${EICAR_HEX}\n")

function(zip folder archive)
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${archive} --format=zip ${ARGN}
                  WORKING_DIRECTORY ${folder} RESULT_VARIABLE code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "cannot make ${archive}")
  endif()
endfunction()

file(WRITE ${WORK}/tree/plain/eicar.com "${EICAR}")
file(WRITE ${WORK}/tree/renamed.zip "${EICAR}")
file(WRITE ${WORK}/pack/docs/eicar.com "${EICAR}")
file(WRITE ${WORK}/pack/readme.txt "nothing to see here\n")
zip(${WORK}/pack ${WORK}/tree/packed.zip readme.txt docs)
file(WRITE ${WORK}/inner/eicar.com "${EICAR}")
zip(${WORK}/inner ${WORK}/inner.zip eicar.com)
file(COPY ${WORK}/inner.zip DESTINATION ${WORK}/pack/docs)
file(REMOVE ${WORK}/pack/docs/eicar.com)
zip(${WORK}/pack ${WORK}/tree/NESTED.ZIP docs)
file(WRITE ${WORK}/clean/a.txt "clean\n")
zip(${WORK}/clean ${WORK}/tree/clean.zip a.txt)

execute_process(COMMAND ${EMULATOR} ${QRXSCAN} -z -s sigs.txt tree WORKING_DIRECTORY ${WORK}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code)
string(REPLACE "\r" "" out "${out}")
message(STATUS "qrxscan -z -> ${code}\n${out}${err}")

function(expect what)
  if(NOT (${ARGN}))
    message(FATAL_ERROR "qrxscan -z: ${what}")
  endif()
endfunction()
set(S "[/\\\\]")
expect("infected tree must exit 1" code EQUAL 1)
expect("plain file" out MATCHES "tree${S}plain${S}eicar.com\tEICAR-From-Text\n")
expect("member under a folder, named as stored" out MATCHES "tree${S}packed.zip : docs${S}eicar.com\tEICAR-From-Text\n")
expect("archive inside an archive, named by the outer one" out MATCHES "tree${S}NESTED.ZIP : eicar.com\tEICAR-From-Text\n")
expect("a renamed file is scanned as a file" out MATCHES "tree${S}renamed.zip\tEICAR-From-Text\n")
expect("clean archive not listed" NOT out MATCHES "clean.zip")
expect("four finds" out MATCHES "# files: [0-9]+ scanned, 4 infected")
