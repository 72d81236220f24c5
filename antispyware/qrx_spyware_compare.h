#pragma once
// The registry phase's comparison: every class key name against every database identifier.
//
// A key matches an entry when the key name in upper case equals the entry's Clsid in upper case
// cut to 40 characters, byte for byte and in length (only "a" to "z" change case). Every
// matching entry is one threat, in slot order, so an identifier listed twice gives two threats.
// Comparing each key with each slot costs keys x slots; TBhoIndex hashes the upper-cased
// identifiers once per scan and finds the matching slots of a key in its hash chain, which
// keeps them in slot order: the same matches in the same order.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tn_bho_file.h"

// `text` with the ASCII letters "a" to "z" upper-cased and every other byte as it is.
std::string UpperClassId(std::string_view text);

// The entry as the scan compares and reports it: a copy with its Clsid upper-cased.
TBhoEntry ComparedEntry(const TBhoEntry& entry);

class TBhoIndex {
 public:
  // Indexes slots 1 to `count` of `table`, which must outlive the index unchanged.
  TBhoIndex(const TBhoEntry* table, std::int32_t count);

  // The 0-based slots whose upper-cased identifier equals `keyName` (already upper-cased), in
  // ascending order.
  std::vector<std::int32_t> Matches(std::string_view keyName) const;
  const TBhoEntry& Entry(std::int32_t slot) const { return Table_[slot]; }

 private:
  static constexpr std::int32_t NoSlot = -1;

  std::string_view Identifier(std::int32_t slot) const;
  std::size_t Bucket(std::string_view identifier) const;

  const TBhoEntry* Table_;
  std::vector<char> Identifiers_;    // slot k's upper-cased Clsid at k * 40
  std::vector<std::uint8_t> Sizes_;  // and its length
  std::vector<std::int32_t> First_;  // per hash bucket: its lowest slot, or NoSlot
  std::vector<std::int32_t> Next_;   // per slot: the next higher slot of its bucket, or NoSlot
};

// What the registry phase reports to: the worker adapts it to its hand-overs.
class TRegistryPhaseEvents {
 public:
  virtual ~TRegistryPhaseEvents() = default;
  // Tested before each key and before each matching entry.
  virtual bool StopRequested() const = 0;
  // A key is about to be compared; `keyName` is upper-cased.
  virtual void KeyReached(const std::string& keyName) = 0;
  // One matching entry, as ComparedEntry gives it.
  virtual void EntryMatched(const TBhoEntry& entry) = 0;
};

// Compares the class keys `subkeyNames`, in their order, with the indexed database.
void CompareClassKeys(const std::vector<std::string>& subkeyNames, const TBhoIndex& index,
                      TRegistryPhaseEvents& events);
