#include "qrx_spyware_compare.h"

#include <algorithm>
#include <numeric>

namespace {
constexpr std::size_t IdentifierCapacity = decltype(TBhoEntry::Clsid)::Capacity;

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string UpperClassId(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

TBhoEntry ComparedEntry(const TBhoEntry& entry) {
  TBhoEntry copy = entry;
  // Assign cuts to the capacity, so a stored length over 40 counts as 40.
  copy.Clsid.Assign(UpperClassId(entry.Clsid.View()));
  return copy;
}

TBhoIndex::TBhoIndex(const TBhoEntry* table, std::int32_t count)
    : Table_(table),
      Identifiers_(static_cast<std::size_t>(std::max(count, 0)) * IdentifierCapacity),
      Sizes_(static_cast<std::size_t>(std::max(count, 0))),
      Order_(Sizes_.size()) {
  for (std::size_t slot = 0; slot < Sizes_.size(); ++slot) {
    const std::string_view id = table[slot].Clsid.View();
    char* stored = &Identifiers_[slot * IdentifierCapacity];
    std::transform(id.begin(), id.end(), stored, UpperAscii);
    Sizes_[slot] = static_cast<std::uint8_t>(id.size());
  }
  std::iota(Order_.begin(), Order_.end(), 0);
  // Equal identifiers keep their slot order: that is the order of the threats.
  std::sort(Order_.begin(), Order_.end(), [this](std::int32_t a, std::int32_t b) {
    const std::string_view x = Identifier(a), y = Identifier(b);
    return x != y ? x < y : a < b;
  });
}

std::string_view TBhoIndex::Identifier(std::int32_t slot) const {
  const auto at = static_cast<std::size_t>(slot);
  return {&Identifiers_[at * IdentifierCapacity], Sizes_[at]};
}

std::span<const std::int32_t> TBhoIndex::Matches(std::string_view keyName) const {
  const auto first = std::lower_bound(Order_.begin(), Order_.end(), keyName,
                                      [this](std::int32_t slot, std::string_view key) { return Identifier(slot) < key; });
  const auto last = std::upper_bound(first, Order_.end(), keyName,
                                     [this](std::string_view key, std::int32_t slot) { return key < Identifier(slot); });
  return {first, last};
}

void CompareClassKeys(const std::vector<std::string>& subkeyNames, const TBhoIndex& index,
                      TRegistryPhaseEvents& events) {
  for (const std::string& name : subkeyNames) {
    if (events.StopRequested()) return;
    const std::string keyName = UpperClassId(name);
    events.KeyReached(keyName);
    for (std::int32_t slot : index.Matches(keyName)) {
      if (events.StopRequested()) return;
      events.EntryMatched(ComparedEntry(index.Entry(slot)));
    }
  }
}
