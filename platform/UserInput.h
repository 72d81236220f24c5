#pragma once
// What a long task on the window's thread needs to stay answerable and to notice a request to
// stop: a clock, the keyboard's state and the thread's message queue.
#include <cstdint>

namespace QrxPlatform {

uint32_t TickCount();            // milliseconds, wrapping
bool IsKeyHeld(int virtualKey);  // held down at this moment, whichever window has the focus
void PumpMessages();             // services the calling thread's pending window messages

}  // namespace QrxPlatform
