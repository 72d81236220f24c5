// Unshrink: ZIP method 1, dynamic LZW with 9 to 13 bit codes and partial clearing (APPNOTE).
//
// Code 256 escapes a control code: 1 widens the codes by one bit, 2 frees every leaf of the
// string tree. Free codes are kept in one list in ascending order and reused lowest first.
// The stream has no end code: the decoder stops when the member's packed bits are spent.
//
// A code's string is copied from where it last appeared in the output when that is still in
// the history: a code defined as (previous code, byte) spells exactly the previous string
// followed by the first byte of the next, so its string stands in the output already.
// Otherwise it is spelled by walking its prefixes. Hostile streams can link a code to itself
// or to a code that was freed; such codes and those built on them are always walked, every
// walk is bounded by the stack and refuses to pass through a free code.
#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "Decoders.h"
#include "UnzipTypes.h"

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
// Output kept for copying strings: the last kHistorySize bytes at least.
constexpr size_t kHistorySize = 65536;
constexpr size_t kBufferSize = 2 * kHistorySize;
// Strings up to this long are copied as two 8-byte words, into slack at the buffer's end.
constexpr uint32_t kShortString = 16;
// A free code's prefix entry holds this mark.
constexpr uint16_t kFreeMark = 0x8000;
constexpr size_t kFreeWords = (kLastCode + 64) / 64;

class TUnshrinker {
public:
  TUnshrinker(TPackedInput& input, TContentOutput& output) : Input(input), Output(output) {
    for (unsigned code = kFirstCode; code <= kLastCode; ++code) {
      Prefix[code] = kFreeMark;
      FreeBits[code / 64] |= uint64_t(1) << (code % 64);
    }
  }

  int32_t Run();

private:
  bool IsFree(unsigned code) const { return code >= kFirstCode && (Prefix[code] & kFreeMark) != 0; }
  bool TakeBits(unsigned width, unsigned& value);
  int32_t Control(unsigned control);
  int32_t OutputString(unsigned code);
  bool CopyFromHistory(uint64_t start, uint32_t length);
  int32_t Expand(unsigned code, const uint8_t*& string);
  void Define(uint8_t firstByte);
  void PartialClear();
  void Free(unsigned code);
  unsigned LowestFreeFrom(unsigned code) const;
  void AddCandidate(unsigned code);
  void MakeRoom(size_t count);
  bool Append(const uint8_t* data, size_t count);
  bool WriteFullBlocks();

  TPackedInput& Input;
  TContentOutput& Output;
  int64_t BitsLeft = 0;
  unsigned Width = kInitialWidth;
  // The free list: the free codes in ascending order, one bit each; its head is the lowest.
  uint64_t FreeBits[kFreeWords] = {};
  unsigned FreeHead = kFirstCode;
  // Per code, the defined codes other than itself that have it as their prefix: a defined code
  // with none is a leaf.
  uint16_t ChildCount[kLastCode + 1] = {};
  // The codes that can have become leaves since the last clear: those defined since, and the
  // prefixes that lost their last child in it. A clear looks at these only.
  uint16_t Candidates[kLastCode + 1];
  size_t CandidateCount = 0;
  bool IsCandidate[kLastCode + 1] = {};
  uint16_t Freed[kLastCode + 1];
  unsigned Previous = 0;
  // Where the previous code's string stands in the output, and whether it can be trusted to
  // stay what its code spells (see Trusted).
  uint64_t PreviousStart = 0;
  uint32_t PreviousLength = 0;
  bool PreviousTrusted = true;
  // Output positions counted from the member's start: Buffer[0] holds byte Base; Total bytes
  // were produced, Written of them written out.
  uint64_t Base = 0;
  uint64_t Total = 0;
  uint64_t Written = 0;
  uint16_t Prefix[kLastCode + 1];
  uint8_t Suffix[kLastCode + 1];
  // Per defined code: where its string last appeared, its length, and whether its prefixes
  // all were defined when it was (only then can its string not change while it is defined).
  uint64_t Start[kLastCode + 1];
  uint16_t Length[kLastCode + 1];
  bool Trusted[kLastCode + 1];
  uint8_t Stack[kStackSize];
  uint8_t Buffer[kBufferSize + kShortString];
};

// Takes the next code of `width` bits when the member still holds that many.
bool TUnshrinker::TakeBits(unsigned width, unsigned& value) {
  if (BitsLeft < width) return false;
  BitsLeft -= width;
  value = Input.ReadBits(width);
  return true;
}

int32_t TUnshrinker::Run() {
  if (Input.PackedSize == UZ_SIZE_UNKNOWN) return UZ_UNSUPPORTED;
  BitsLeft = Input.PackedSize * 8;
  unsigned code;
  // A member too short for one code holds no data at all.
  if (TakeBits(kInitialWidth, code)) {
    uint8_t firstByte = static_cast<uint8_t>(code);
    if (!Append(&firstByte, 1)) return UZ_WRITE_ERROR;
    Previous = code;
    PreviousLength = 1;
  }
  while (!Input.Aborted && TakeBits(Width, code)) {
    int32_t result;
    if (code == kControlCode) {
      unsigned control;
      if (!TakeBits(Width, control)) break;
      result = Control(control);
    } else {
      result = OutputString(code);
    }
    if (result != UZ_OK) return result;
  }
  if (Input.Aborted) return UZ_ABORTED;
  return Output.WriteOutput(Buffer + (Written - Base), static_cast<uint32_t>(Total - Written)) ? UZ_OK
                                                                                             : UZ_WRITE_ERROR;
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

// Outputs the string of a code other than 256, then defines the next code.
int32_t TUnshrinker::OutputString(unsigned code) {
  uint64_t at = Total;
  bool aboutToBeDefined = IsFree(code);
  bool copied = false;
  if (code < kFirstCode) {
    uint8_t byte = static_cast<uint8_t>(code);
    if (!Append(&byte, 1)) return UZ_WRITE_ERROR;
    copied = true;
  } else if (aboutToBeDefined && PreviousTrusted) {
    // The previous string, then its own first byte.
    if (!CopyFromHistory(PreviousStart, PreviousLength)) return UZ_WRITE_ERROR;
    copied = Total > at;
    uint8_t firstByte = copied ? Buffer[at - Base] : 0;
    if (copied && !Append(&firstByte, 1)) return UZ_WRITE_ERROR;
  } else if (!aboutToBeDefined && Trusted[code]) {
    if (!CopyFromHistory(Start[code], Length[code])) return UZ_WRITE_ERROR;
    copied = Total > at;
  }
  if (!copied) {
    const uint8_t* string;
    if (int32_t result = Expand(code, string); result != UZ_OK) return result;
    if (!Append(string, Stack + kStackSize - string)) return UZ_WRITE_ERROR;
  }
  Define(Buffer[at - Base]);
  bool trusted = code < kFirstCode || (!IsFree(code) && Trusted[code]);
  if (code >= kFirstCode && trusted) Start[code] = at;
  Previous = code;
  PreviousStart = at;
  PreviousLength = static_cast<uint32_t>(Total - at);
  PreviousTrusted = trusted;
  return UZ_OK;
}

// Appends output bytes [start, start + length) again when they are still held; outputs
// nothing when they are not (the caller then walks the code).
bool TUnshrinker::CopyFromHistory(uint64_t start, uint32_t length) {
  MakeRoom(length);
  if (start < Base) return true;
  // The source ends before Total, so it never overlaps the bytes appended.
  uint8_t* to = Buffer + (Total - Base);
  const uint8_t* from = Buffer + (start - Base);
  if (length <= kShortString) {
    uint64_t low, high;  // both read before either is written: the words may overlap `to`
    std::memcpy(&low, from, 8);
    std::memcpy(&high, from + 8, 8);
    std::memcpy(to, &low, 8);
    std::memcpy(to + 8, &high, 8);
  } else {
    std::memcpy(to, from, length);
  }
  Total += length;
  return WriteFullBlocks();
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
  FreeBits[code / 64] &= ~(uint64_t(1) << (code % 64));
  FreeHead = LowestFreeFrom(code + 1);
  // Previous is still free when a hostile stream names a free code first or right after a
  // clear that freed it: such a code is walked every time it is used.
  bool prefixDefined = !IsFree(Previous);
  Prefix[code] = static_cast<uint16_t>(Previous);
  Suffix[code] = firstByte;
  Start[code] = PreviousStart;
  Length[code] = static_cast<uint16_t>(std::min<uint32_t>(PreviousLength + 1, kStackSize));
  Trusted[code] = prefixDefined && PreviousTrusted && PreviousLength < kStackSize;
  if (Previous >= kFirstCode && Previous != code) ++ChildCount[Previous];
  AddCandidate(code);
}

// Frees every defined code that is no other code's prefix. All are chosen before any is freed:
// a prefix whose last child goes now is a leaf only for the next clear.
void TUnshrinker::PartialClear() {
  size_t freedCount = 0;
  for (size_t i = 0; i < CandidateCount; ++i) {
    unsigned code = Candidates[i];
    IsCandidate[code] = false;
    if (!IsFree(code) && ChildCount[code] == 0) Freed[freedCount++] = static_cast<uint16_t>(code);
  }
  CandidateCount = 0;
  for (size_t i = 0; i < freedCount; ++i) Free(Freed[i]);
}

void TUnshrinker::Free(unsigned code) {
  unsigned prefix = Prefix[code];
  Prefix[code] = kFreeMark;
  FreeBits[code / 64] |= uint64_t(1) << (code % 64);
  FreeHead = std::min(FreeHead, code);
  if (prefix >= kFirstCode && prefix != code && --ChildCount[prefix] == 0) AddCandidate(prefix);
}

// The lowest free code from `code` on, or kLastCode + 1 when there is none.
unsigned TUnshrinker::LowestFreeFrom(unsigned code) const {
  if (code > kLastCode) return kLastCode + 1;
  size_t word = code / 64;
  uint64_t bits = FreeBits[word] & (~uint64_t(0) << (code % 64));
  while (bits == 0) {
    if (++word == kFreeWords) return kLastCode + 1;
    bits = FreeBits[word];
  }
  return static_cast<unsigned>(word * 64 + std::countr_zero(bits));
}

void TUnshrinker::AddCandidate(unsigned code) {
  if (IsCandidate[code]) return;
  IsCandidate[code] = true;
  Candidates[CandidateCount++] = static_cast<uint16_t>(code);
}

// Keeps the last kHistorySize bytes (and whatever is not written yet) and makes room for count more.
void TUnshrinker::MakeRoom(size_t count) {
  if (Total - Base + count <= kBufferSize) return;
  uint64_t newBase = Total - kHistorySize;
  std::memmove(Buffer, Buffer + (newBase - Base), kHistorySize);
  Base = newBase;
}

bool TUnshrinker::Append(const uint8_t* data, size_t count) {
  MakeRoom(count);
  std::memcpy(Buffer + (Total - Base), data, count);
  Total += count;
  return WriteFullBlocks();
}

// The output goes out in blocks of kOutputSize bytes.
bool TUnshrinker::WriteFullBlocks() {
  for (; Total - Written >= kOutputSize; Written += kOutputSize) {
    if (!Output.WriteOutput(Buffer + (Written - Base), kOutputSize)) return false;
  }
  return true;
}

}  // namespace

int32_t Unshrink(TPackedInput& input, TContentOutput& output) {
  // About 33 KiB of tables: kept off the stack of the worker thread.
  auto unshrinker = std::make_unique<TUnshrinker>(input, output);
  return unshrinker->Run();
}
