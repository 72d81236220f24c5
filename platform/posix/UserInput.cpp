#include "../UserInput.h"

#include <ctime>

namespace QrxPlatform {

uint32_t TickCount() {
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

bool IsKeyHeld(int) { return false; }  // no console key state here; tests install a probe

void PumpMessages() {}

}  // namespace QrxPlatform
