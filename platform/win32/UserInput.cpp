#include "../UserInput.h"

#include <windows.h>

namespace QrxPlatform {

uint32_t TickCount() { return ::GetTickCount(); }

bool IsKeyHeld(int virtualKey) { return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace QrxPlatform
