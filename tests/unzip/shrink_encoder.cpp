#include "shrink_encoder.h"

#include <cstring>
#include <unordered_map>

#include "testkit.h"

namespace QrxTest {
namespace {

constexpr unsigned kControlCode = 256;
constexpr unsigned kFirstCode = 257;
constexpr unsigned kLastCode = 8192;      // the decoder defines codes up to here
constexpr unsigned kLastEmitted = 8191;   // the largest code that fits 13 bits
constexpr unsigned kMaxWidth = 13;

class TShrinker {
public:
  TShrinker(std::span<const uint8_t> data, const TShrinkOptions& options) : Data(data), Options(options) {
    for (unsigned code = kFirstCode; code <= kLastCode; ++code) Free[code] = true;
    RebuildFreeList();
  }

  std::vector<uint8_t> Run() {
    if (Data.empty()) return {};
    Emit(Data[0]);
    if (Options.WidenAtStart) {
      while (Width < kMaxWidth) Widen();
    }
    Prev = Data[0];
    PrevLength = 1;
    size_t pos = 1;
    uint32_t codesSinceClear = 0;
    while (pos < Data.size()) {
      if (WantsClear(codesSinceClear)) {
        PartialClear();
        codesSinceClear = 0;
      }
      size_t length = 0;
      unsigned code = LongestMatch(pos, length);
      Emit(code);
      Define(Prev, Data[pos]);
      Prev = code;
      PrevLength = length;
      pos += length;
      ++codesSinceClear;
    }
    return std::move(Out.Out);
  }

private:
  static uint32_t Key(unsigned prefix, uint8_t suffix) { return prefix << 8 | suffix; }

  bool WantsClear(uint32_t codesSinceClear) const {
    if (Options.ClearEvery != 0) return codesSinceClear >= Options.ClearEvery;
    return FreeHead() > kLastCode;
  }

  unsigned FreeHead() const { return FreeNext < FreeList.size() ? FreeList[FreeNext] : kLastCode + 1; }

  // Longest string at `pos` the decoder will know when it reads the code: the defined codes,
  // or the code about to be defined (the previous string plus its own first byte).
  unsigned LongestMatch(size_t pos, size_t& length) {
    unsigned code = Data[pos];
    length = 1;
    while (pos + length < Data.size()) {
      auto child = Children.find(Key(code, Data[pos + length]));
      if (child == Children.end()) break;
      code = child->second;
      ++length;
    }
    size_t pending = PrevLength + 1;
    bool prefixDefined = Prev < kFirstCode || !Free[Prev];
    if (FreeHead() <= kLastEmitted && prefixDefined && pending > length && pos + pending <= Data.size() &&
        std::memcmp(&Data[pos - PrevLength], &Data[pos], PrevLength) == 0 && Data[pos] == Data[pos + PrevLength]) {
      length = pending;
      code = FreeHead();
    }
    return code;
  }

  void Define(unsigned prefix, uint8_t suffix) {
    unsigned code = FreeHead();
    if (code > kLastCode) return;
    ++FreeNext;
    Free[code] = false;
    Prefix[code] = static_cast<uint16_t>(prefix);
    Suffix[code] = suffix;
    if (code <= kLastEmitted) Children[Key(prefix, suffix)] = code;
  }

  void Emit(unsigned code) {
    while (code >= (1u << Width)) Widen();
    Out.Bits(code, Width);
  }

  void Widen() {
    Out.Bits(kControlCode, Width);
    Out.Bits(1, Width);
    ++Width;
  }

  // Frees every defined code that is no other code's prefix; free codes are reused lowest first.
  void PartialClear() {
    Out.Bits(kControlCode, Width);
    Out.Bits(2, Width);
    bool isPrefix[kLastCode + 1] = {};
    for (unsigned code = kFirstCode; code <= kLastCode; ++code) {
      if (!Free[code] && Prefix[code] != code) isPrefix[Prefix[code]] = true;
    }
    for (unsigned code = kFirstCode; code <= kLastCode; ++code) {
      if (Free[code] || isPrefix[code]) continue;
      Free[code] = true;
      auto entry = Children.find(Key(Prefix[code], Suffix[code]));
      if (entry != Children.end() && entry->second == code) Children.erase(entry);
    }
    RebuildFreeList();
  }

  void RebuildFreeList() {
    FreeList.clear();
    FreeNext = 0;
    for (unsigned code = kFirstCode; code <= kLastCode; ++code) {
      if (Free[code]) FreeList.push_back(static_cast<uint16_t>(code));
    }
  }

  std::span<const uint8_t> Data;
  TShrinkOptions Options;
  UnzipTestKit::TBitWriter Out;
  unsigned Width = 9;
  unsigned Prev = 0;
  size_t PrevLength = 0;
  uint16_t Prefix[kLastCode + 1] = {};
  uint8_t Suffix[kLastCode + 1] = {};
  bool Free[kLastCode + 1] = {};
  std::vector<uint16_t> FreeList;
  size_t FreeNext = 0;
  std::unordered_map<uint32_t, unsigned> Children;
};

}  // namespace

std::vector<uint8_t> ShrinkData(std::span<const uint8_t> data, const TShrinkOptions& options) {
  return TShrinker(data, options).Run();
}

}  // namespace QrxTest
