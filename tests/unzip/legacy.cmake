# The legacy methods: test-only shrink and implode encoders, unshrink and explode fed from
# memory (both builds), and inflate against zlib (native build).
add_library(qrx_legacy_testkit STATIC shrink_encoder.cpp implode_encoder.cpp legacy_harness.cpp)
target_include_directories(qrx_legacy_testkit PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(qrx_legacy_testkit PUBLIC qrx_unzip_testkit gtest)
qrx_warnings(qrx_legacy_testkit)

qrx_add_gtest(unzip_unshrink_tests SOURCES unshrink_test.cpp LIBS qrx_legacy_testkit)
qrx_add_gtest(unzip_explode_tests SOURCES explode_test.cpp LIBS qrx_legacy_testkit)
qrx_add_gtest(unzip_legacy_corpus_tests SOURCES legacy_corpus_test.cpp LIBS qrx_legacy_testkit)
# Every decoder fed from memory by sources, sinks and abort checks that misbehave.
qrx_add_gtest(unzip_member_stream_tests SOURCES member_stream_test.cpp LIBS qrx_legacy_testkit)


# Inflate against zlib (native build; zlib1g-dev is a test dependency).
if(NOT WIN32)
  find_package(ZLIB)
  if(ZLIB_FOUND)
    qrx_add_gtest(unzip_inflate_zlib_tests SOURCES inflate_zlib_test.cpp LIBS qrx_legacy_testkit ZLIB::ZLIB)
  else()
    message(WARNING "zlib1g-dev is missing: the inflate tests against zlib are not built")
  endif()
endif()
