# libFuzzer targets of the decoders fed from memory (the test kit's source), one source built
# once per method (fuzz/unzip/run-legacy.sh builds and runs them).
foreach(decoder_and_method unshrink:1 explode:6 inflate:8 inflate64:9 bunzip2:12 lzma:14 zstd:93 xz:95)
  string(REPLACE ":" ";" pair ${decoder_and_method})
  list(GET pair 0 decoder)
  list(GET pair 1 method)
  set(target unzip_decoder_fuzz_${decoder})
  add_executable(${target} decoder_fuzz.cpp)
  target_compile_definitions(${target} PRIVATE QRX_FUZZ_METHOD=${method})
  target_link_libraries(${target} PRIVATE qrx_unzip_testkit)
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  qrx_warnings(${target})
endforeach()
