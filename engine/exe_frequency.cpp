#include "exe_frequency.h"

#include <cstddef>
#include <memory>

namespace qrx::engine {
namespace detail {

// In exe_frequency_table.cpp: one digit per cost, 0-9A-Za-z.
extern const char kByteCostDigits[];
extern const char kPairCostDigits[];

}  // namespace detail
namespace {

std::uint8_t digitValue(char c) {
  return static_cast<std::uint8_t>(c <= '9' ? c - '0' : c <= 'Z' ? c - 'A' + 10 : c - 'a' + 36);
}

std::unique_ptr<ExeFrequency> decode() {
  auto table = std::make_unique<ExeFrequency>();
  for (std::size_t i = 0; i < table->byte.size(); ++i) table->byte[i] = digitValue(detail::kByteCostDigits[i]);
  for (std::size_t i = 0; i < table->pair.size(); ++i) table->pair[i] = digitValue(detail::kPairCostDigits[i]);
  return table;
}

}  // namespace

const ExeFrequency& exeFrequency() {
  static const std::unique_ptr<ExeFrequency> table = decode();
  return *table;
}

}  // namespace qrx::engine
