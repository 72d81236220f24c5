#include "qrx_spyware_compare.h"

#include <algorithm>
#include <bit>

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
      First_(std::bit_ceil(2 * Sizes_.size() + 1), NoSlot),
      Next_(Sizes_.size(), NoSlot) {
  for (std::size_t slot = 0; slot < Sizes_.size(); ++slot) {
    const std::string_view id = table[slot].Clsid.View();
    std::transform(id.begin(), id.end(), &Identifiers_[slot * IdentifierCapacity], UpperAscii);
    Sizes_[slot] = static_cast<std::uint8_t>(id.size());
  }
  // Chained from the last slot to the first, so that every chain runs in slot order: that is
  // the order of the threats.
  for (auto slot = static_cast<std::int32_t>(Sizes_.size()) - 1; slot >= 0; --slot) {
    std::int32_t& first = First_[Bucket(Identifier(slot))];
    Next_[static_cast<std::size_t>(slot)] = first;
    first = slot;
  }
}

std::string_view TBhoIndex::Identifier(std::int32_t slot) const {
  const auto at = static_cast<std::size_t>(slot);
  return {&Identifiers_[at * IdentifierCapacity], Sizes_[at]};
}

// FNV-1a: identifiers differ in few bytes, anywhere in them.
std::size_t TBhoIndex::Bucket(std::string_view identifier) const {
  std::uint32_t hash = 2166136261u;
  for (char c : identifier) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
  return hash & (First_.size() - 1);
}

std::vector<std::int32_t> TBhoIndex::Matches(std::string_view keyName) const {
  std::vector<std::int32_t> slots;
  if (keyName.size() > IdentifierCapacity) return slots;  // no identifier is that long
  for (std::int32_t slot = First_[Bucket(keyName)]; slot != NoSlot; slot = Next_[static_cast<std::size_t>(slot)])
    if (Identifier(slot) == keyName) slots.push_back(slot);
  return slots;
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
