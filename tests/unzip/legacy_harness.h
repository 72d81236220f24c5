// Test-only helpers of the legacy-method tests (shrunk, imploded, deflated against zlib),
// over the extractor's test kit.
#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "testkit.h"

namespace QrxTest {

using UnzipTestKit::DecodeFromMemory;
using UnzipTestKit::FeedOf;
using UnzipTestKit::TBytes;
using UnzipTestKit::TDecoded;
using UnzipTestKit::TMemberFeed;
using UnzipTestKit::TZipMember;

// A member whose packed data is taken as it stands; the headers declare Content's CRC and size.
TZipMember PackedMember(uint16_t method, uint16_t flags, TBytes packed, TBytes content);

// Deterministic bytes drawn from the first `alphabet` byte values.
TBytes FewSymbolBytes(size_t size, uint32_t seed, unsigned alphabet);
// Up to maxSize bytes from the start of a file of the machine; empty when it is missing.
TBytes HostFileHead(const std::string& unixPath, size_t maxSize);

// Names the instances of a table of cases after the case's Name.
template <typename TCase>
std::string CaseName(const testing::TestParamInfo<TCase>& param) {
  return param.param.Name;
}

}  // namespace QrxTest
