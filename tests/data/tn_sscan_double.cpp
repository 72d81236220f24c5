#include "tn_sscan_double.h"

#include <cstring>

namespace {
TEngineDoubleState State;
}

extern "C" __cdecl TEngineDoubleState* EngineDoubleState() { return &State; }

extern "C" std::int32_t __stdcall initscan(const void* table, std::int32_t count) {
  ++State.InitCalls;
  State.Table = table;
  State.Count = count;
  if (count > 0) {
    const auto* slots = static_cast<const unsigned char*>(table);
    std::memcpy(State.FirstRecord, slots, sizeof State.FirstRecord);
    std::memcpy(State.LastRecord, slots + (count - 1) * 321, sizeof State.LastRecord);
  }
  return State.InitAnswer;
}

#ifndef QRX_DOUBLE_WITHOUT_SCANFILE
extern "C" std::int32_t __stdcall scanfileutf8(const char* path, unsigned char* result) {
  ++State.ScanCalls;
  std::strncpy(State.Path, path, sizeof State.Path - 1);
  State.ResultPrepared = result[0] == 0 && result[1] == 0;
  std::memcpy(result, State.Verdict, sizeof State.Verdict);
  return State.ScanAnswer;
}
#endif
