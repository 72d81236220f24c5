#pragma once
// A stand-in for TN_SSCAN.DLL: it records what the program hands to initscan and scanfileutf8
// and answers as the test tells it. The test reaches its state through the EngineDoubleState
// export. It has no scanfile: the program must not call the single-byte export.
#include <cstddef>
#include <cstdint>

struct TEngineDoubleState {
  // initscan
  int InitCalls;
  const void* Table;
  std::int32_t Count;
  unsigned char FirstRecord[321];  // slot 1 and slot `Count`, copied during the call
  unsigned char LastRecord[321];
  std::int32_t InitAnswer;
  // scanfileutf8
  int ScanCalls;
  char Path[1024];  // the path up to its NUL
  bool ResultPrepared;  // Found 0 and an empty FoundName on entry
  std::int32_t ScanAnswer;
  unsigned char Verdict[66];  // copied into the caller's result before answering
};

using TEngineDoubleStateExport = TEngineDoubleState*(__cdecl*)();
