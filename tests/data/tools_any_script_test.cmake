# Runs the real qrxdata and qrxunzip (under Wine in the Windows build) on inputs and outputs
# whose paths are in other scripts than Latin, and checks that each is read, written and named
# whole in the output. Arguments: -DQRXDATA=exe -DQRXUNZIP=exe [-DEMULATOR=runner]
# -DWORK=scratch-folder

# Wine reads a program's command line in the locale's character set: the names go as UTF-8.
set(ENV{LC_ALL} C.UTF-8)

# The tools run in WORK and are given paths relative to it.
file(REMOVE_RECURSE ${WORK})
set(folder "папка 病毒 😈")
file(MAKE_DIRECTORY "${WORK}/${folder}/content")

# Sets `out`, `err` and `code` in the caller.
function(run_tool)
  execute_process(COMMAND ${EMULATOR} ${ARGN} WORKING_DIRECTORY ${WORK}
                  OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr RESULT_VARIABLE result)
  string(REPLACE "\r" "" stdout "${stdout}")
  set(out "${stdout}" PARENT_SCOPE)
  set(err "${stderr}" PARENT_SCOPE)
  set(code "${result}" PARENT_SCOPE)
  message(STATUS "${ARGN} -> ${result}\n${stdout}${stderr}")
endfunction()

function(expect what)
  if(NOT (${ARGN}))
    message(FATAL_ERROR "${what}")
  endif()
endfunction()

# qrxdata: a source and a data file of such names, built, checked and dumped.
file(WRITE "${WORK}/${folder}/подписи.txt" "Test-Signature\t4D5A90\n")
run_tool(${QRXDATA} build-sigs "${folder}/подписи.txt" "${folder}/QRX_SIG вирус.DAT")
expect("qrxdata build-sigs exits 0" code EQUAL 0)
expect("qrxdata names its output" out MATCHES "^${folder}/QRX_SIG вирус.DAT: 1 signatures\n")
expect("qrxdata writes the file" EXISTS "${WORK}/${folder}/QRX_SIG вирус.DAT")
run_tool(${QRXDATA} check "${folder}/QRX_SIG вирус.DAT")
expect("qrxdata check exits 0" code EQUAL 0)
run_tool(${QRXDATA} dump "${folder}/QRX_SIG вирус.DAT")
expect("qrxdata dump exits 0" code EQUAL 0)
expect("qrxdata dump gives the source back" out MATCHES "\nTest-Signature\t4D5A90\n")

# qrxunzip: an archive of such a name listed, then extracted into a folder of such a name.
file(WRITE "${WORK}/${folder}/content/member.txt" "extracted whole\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${WORK}/${folder}/архив.zip" --format=zip member.txt
                WORKING_DIRECTORY "${WORK}/${folder}/content" RESULT_VARIABLE zipped)
expect("the archive is made" zipped EQUAL 0)
run_tool(${QRXUNZIP} list "${folder}/архив.zip")
expect("qrxunzip list exits 0" code EQUAL 0)
expect("qrxunzip lists the member" out MATCHES "\tmember.txt\n")
run_tool(${QRXUNZIP} extract "${folder}/архив.zip" "${folder}/распаковано")
expect("qrxunzip extract exits 0" code EQUAL 0)
file(READ "${WORK}/${folder}/распаковано/member.txt" extracted)
expect("qrxunzip extracts into the folder" extracted STREQUAL "extracted whole\n")
file(REMOVE_RECURSE ${WORK})
