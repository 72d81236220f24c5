# Runs the real qrxscan (under Wine in the Windows build) on a small folder tree and checks
# its lines and exit codes. Arguments: -DQRXSCAN=exe [-DEMULATOR=runner] -DWORK=scratch-folder
# [-DDATA_DIR=folder with the program's default QRX_SIG.DAT, which signs the EICAR file]

# Wine reads a program's command line in the locale's character set: the names go as UTF-8.
set(ENV{LC_ALL} C.UTF-8)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/tree/sub/deeper)
string(ASCII 88 53 79 33 80 37 64 65 80 91 52 92 80 90 88 53 52 40 80 94 41 55 67 67 41 55 125 36 EICAR_HEAD)
set(EICAR "${EICAR_HEAD}EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*")
file(WRITE ${WORK}/tree/sub/deeper/eicar.com "${EICAR}")
file(WRITE ${WORK}/tree/sub/both.bin "..MZ-header..ABCD..")
file(WRITE ${WORK}/tree/clean.txt "nothing to see\n")
file(WRITE ${WORK}/tree/empty.bin "")
file(WRITE ${WORK}/clean-only.txt "clean\n")
string(HEX "${EICAR}" EICAR_HEX)
file(WRITE ${WORK}/sigs.txt
  "# test signatures\n"
  "EICAR-From-Text\t${EICAR_HEX}\n"
  "Letters\t41424344\n"
  "MZ-Then-Letters\t4D5A::4142\n"
  "Useless\t41::42\n")

# Sets out_var and code_var, and `err` to what it wrote on standard error.
function(run_qrxscan out_var code_var)
  execute_process(COMMAND ${EMULATOR} ${QRXSCAN} ${ARGN} WORKING_DIRECTORY ${WORK}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code)
  string(REPLACE "\r" "" out "${out}")
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${code_var} "${code}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
  message(STATUS "qrxscan ${ARGN} -> ${code}\n${out}${err}")
endfunction()

function(expect what)
  if(NOT (${ARGN}))
    message(FATAL_ERROR "qrxscan: ${what}")
  endif()
endfunction()

run_qrxscan(out code -s sigs.txt tree)
expect("infected tree must exit 1" code EQUAL 1)
expect("EICAR line" out MATCHES "tree[/\\\\]sub[/\\\\]deeper[/\\\\]eicar.com\tEICAR-From-Text\n")
# "MZ" then "AB" ends at the B, before "ABCD" ends: the gapped signature wins.
expect("earliest-ending signature" out MATCHES "tree[/\\\\]sub[/\\\\]both.bin\tMZ-Then-Letters\n")
expect("clean files are not listed" NOT out MATCHES "clean.txt|empty.bin")
expect("signature summary" out MATCHES "# signatures: 3 used, 1 ignored")
expect("the ignored signature is named by its line" err MATCHES "sigs.txt:5: signature ignored: no piece with two exact bytes")
expect("file summary" out MATCHES "# files: 4 scanned, 2 infected, 0 not scanned")

# Names in any script, a folder so named and a path past 260 characters, given as arguments
# and met in the walk: each is found and printed whole, as UTF-8 bytes in a file. The
# signature's name, Windows-1252 like the records' texts, is printed in UTF-8 too.
set(deep "")
foreach(letter a b c d e)
  string(REPEAT ${letter} 60 folder)
  string(APPEND deep "${folder}/")
endforeach()
set(named "вирус.com" "病毒.com" "😈.com" "папка 病毒 😈/eicar.com" "${deep}eicar.com")
foreach(name IN LISTS named)
  file(WRITE "${WORK}/named/${name}" "${EICAR}")
endforeach()
string(ASCII 199 c_cedilla)
file(WRITE ${WORK}/подписи.txt "EICAR-${c_cedilla}a\t${EICAR_HEX}\n")
execute_process(COMMAND ${EMULATOR} ${QRXSCAN} -s подписи.txt named папка-нет "named/вирус.com"
                WORKING_DIRECTORY ${WORK} OUTPUT_FILE ${WORK}/named.out ERROR_VARIABLE err RESULT_VARIABLE code)
file(READ ${WORK}/named.out out)
string(REPLACE "\r" "" out "${out}")
message(STATUS "qrxscan on names in any script -> ${code}\n${out}${err}")
expect("names in any script: infected, exit 1" code EQUAL 1)
foreach(name IN LISTS named)
  string(REPLACE "/" "[/\\\\]" shown "named/${name}")
  expect("${name} found and named" out MATCHES "(^|\n)${shown}\tEICAR-Ça\n")
endforeach()
string(REGEX MATCHALL "named[/\\\\]вирус.com\t" hits "${out}")
list(LENGTH hits hits)
expect("a file given by its name, found in the walk and as an argument" hits EQUAL 2)
expect("a missing path named in the message" err MATCHES "папка-нет")
expect("names in any script: summary" out MATCHES "# signatures: 1 used, 0 ignored\n# files: 6 scanned, 6 infected, 1 not scanned")

run_qrxscan(out code -q -s sigs.txt clean-only.txt)
expect("clean file must exit 0" code EQUAL 0)
string(LENGTH "${out}" printed)
expect("-q prints nothing for clean files" printed EQUAL 0)

run_qrxscan(out code -s sigs.txt no-such-file)
expect("unreadable path must exit 2" code EQUAL 2)
run_qrxscan(out code -s no-such-signatures.txt tree)
expect("missing signature file must exit 2" code EQUAL 2)
run_qrxscan(out code tree)
expect("no signatures is a usage error" code EQUAL 2)
if(DATA_DIR)
  run_qrxscan(out code -d ${DATA_DIR}/QRX_SIG.DAT -s sigs.txt tree)
  expect("data file: infected tree must exit 1" code EQUAL 1)
  expect("data file: EICAR named by the data file's signature, the lower slot"
         out MATCHES "eicar.com\tEICAR-Test-File\n")
  run_qrxscan(out code -d ${WORK}/no-such.DAT tree)
  expect("missing data file must exit 2" code EQUAL 2)
endif()
file(REMOVE_RECURSE ${WORK})
