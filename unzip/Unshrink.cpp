// Unshrink: ZIP method 1, dynamic LZW with 9 to 13 bit codes and partial clearing (APPNOTE).
//
// Code 256 escapes a control code: 1 widens the codes by one bit, 2 frees every leaf of the
// string tree. Free codes are kept in one list in ascending order and reused lowest first.
// The stream has no end code: the decoder stops when the member's packed bits are spent.
//
// Hostile streams can link a code to itself or to a code that was freed; every expansion is
// therefore bounded by the stack and refuses to walk through a free code.
#include <algorithm>
#include <cstring>
#include <memory>

#include "Decoders.h"
#include "UnzipEngine.h"

namespace {

constexpr unsigned kControlCode = 256;
constexpr unsigned kFirstCode = 257;
constexpr unsigned kLastCode = 8192;
constexpr unsigned kInitialWidth = 9;
constexpr unsigned kMaxWidth = 13;
constexpr unsigned kWiden = 1;
constexpr unsigned kPartialClear = 2;
constexpr size_t kStackSize = 8193;
constexpr uint32_t kOutputSize = 767;
// A free code's prefix entry holds this mark and the next code of the free list.
constexpr uint16_t kFreeMark = 0x8000;
constexpr uint16_t kLinkMask = 0x3FFF;

class TUnshrinker {
public:
  explicit TUnshrinker(TUnzipEngine& engine) : Engine(engine) {
    for (unsigned code = kFirstCode; code <= kLastCode; ++code) Prefix[code] = static_cast<uint16_t>(kFreeMark | (code + 1));
  }

  int32_t Run();

private:
  bool IsFree(unsigned code) const { return code >= kFirstCode && (Prefix[code] & kFreeMark) != 0; }
  bool TakeBits(unsigned width, unsigned& value);
  int32_t Control(unsigned control);
  int32_t Expand(unsigned code, const uint8_t*& string);
  void Define(uint8_t firstByte);
  void PartialClear();
  bool Output(const uint8_t* data, size_t count);

  TUnzipEngine& Engine;
  int64_t BitsLeft = 0;
  unsigned Width = kInitialWidth;
  unsigned FreeHead = kFirstCode;
  // The highest code ever defined: every code above it is free and still chained upward.
  unsigned HighestDefined = kFirstCode - 1;
  unsigned Previous = 0;
  uint32_t OutCount = 0;
  uint16_t Prefix[kLastCode + 1] = {};
  uint8_t Suffix[kLastCode + 1] = {};
  uint8_t Stack[kStackSize] = {};
  uint8_t Out[kOutputSize] = {};
};

// Takes the next code of `width` bits when the member still holds that many.
bool TUnshrinker::TakeBits(unsigned width, unsigned& value) {
  if (BitsLeft < width) return false;
  BitsLeft -= width;
  value = Engine.ReadBits(width);
  return true;
}

int32_t TUnshrinker::Run() {
  if (Engine.PackedToRead == UZ_SIZE_UNKNOWN) return UZ_UNSUPPORTED;
  BitsLeft = Engine.PackedToRead * 8;
  unsigned code;
  // A member too short for one code holds no data at all.
  if (TakeBits(kInitialWidth, code)) {
    uint8_t firstByte = static_cast<uint8_t>(code);
    if (!Output(&firstByte, 1)) return UZ_WRITE_ERROR;
    Previous = code;
  }
  while (!Engine.Aborted && TakeBits(Width, code)) {
    if (code == kControlCode) {
      unsigned control;
      if (!TakeBits(Width, control)) break;
      if (int32_t result = Control(control); result != UZ_OK) return result;
      continue;
    }
    const uint8_t* string;
    if (int32_t result = Expand(code, string); result != UZ_OK) return result;
    if (!Output(string, Stack + kStackSize - string)) return UZ_WRITE_ERROR;
    Define(*string);
    Previous = code;
  }
  if (Engine.Aborted) return UZ_ABORTED;
  return Engine.WriteOutput(Out, OutCount) ? UZ_OK : UZ_WRITE_ERROR;
}

int32_t TUnshrinker::Control(unsigned control) {
  if (control == kWiden) {
    if (Width == kMaxWidth) return UZ_BAD_DATA;
    ++Width;
    return UZ_OK;
  }
  if (control == kPartialClear) {
    PartialClear();
    return UZ_OK;
  }
  return UZ_BAD_DATA;
}

// Spells the string of `code` onto the end of the stack; `string` receives its first byte.
// A code still free is the one about to be defined: the previous string plus its first byte.
int32_t TUnshrinker::Expand(unsigned code, const uint8_t*& string) {
  uint8_t* top = Stack + kStackSize;
  bool aboutToBeDefined = IsFree(code);
  if (aboutToBeDefined) {
    --top;
    code = Previous;
  }
  while (code >= kFirstCode) {
    if (IsFree(code) || top == Stack) return UZ_BAD_DATA;
    *--top = Suffix[code];
    code = Prefix[code];
  }
  if (top == Stack) return UZ_BAD_DATA;
  *--top = static_cast<uint8_t>(code);
  if (aboutToBeDefined) Stack[kStackSize - 1] = *top;
  string = top;
  return UZ_OK;
}

// The previous code followed by the first byte of the current string becomes the next free code.
void TUnshrinker::Define(uint8_t firstByte) {
  if (FreeHead > kLastCode) return;
  unsigned code = FreeHead;
  FreeHead = Prefix[code] & kLinkMask;
  Prefix[code] = static_cast<uint16_t>(Previous);
  Suffix[code] = firstByte;
  HighestDefined = std::max(HighestDefined, code);
}

// Frees every defined code that is no other code's prefix, then chains all free codes in
// ascending order, so that the lowest is reused first.
void TUnshrinker::PartialClear() {
  bool hasChild[kLastCode + 1] = {};
  for (unsigned code = kFirstCode; code <= HighestDefined; ++code) {
    unsigned prefix = Prefix[code];
    if (!IsFree(code) && prefix != code) hasChild[prefix] = true;
  }
  FreeHead = HighestDefined + 1;
  for (unsigned code = HighestDefined; code >= kFirstCode; --code) {
    if (IsFree(code) || !hasChild[code]) {
      Prefix[code] = static_cast<uint16_t>(kFreeMark | FreeHead);
      FreeHead = code;
    }
  }
}

bool TUnshrinker::Output(const uint8_t* data, size_t count) {
  while (count > 0) {
    size_t chunk = std::min<size_t>(count, kOutputSize - OutCount);
    std::memcpy(Out + OutCount, data, chunk);
    OutCount += static_cast<uint32_t>(chunk);
    data += chunk;
    count -= chunk;
    if (OutCount == kOutputSize) {
      if (!Engine.WriteOutput(Out, OutCount)) return false;
      OutCount = 0;
    }
  }
  return true;
}

}  // namespace

int32_t Unshrink(TUnzipEngine& engine) {
  // About 33 KiB of tables: kept off the stack of the worker thread.
  auto unshrinker = std::make_unique<TUnshrinker>(engine);
  return unshrinker->Run();
}
