// The filter library's message box: single-byte texts, shown with MessageBoxA, and
// closed by itself when the time-out elapses.
#pragma once

#include <cstdint>

// Shows the box (no owner window) and returns 0 when the time-out closed it, else
// the box's answer. The box closes through a thread timer that posts a quit
// message; a quit message left pending is removed before returning.
int ShowTimedMessage(void* owner, const char* text, const char* caption, uint32_t style,
                     uint32_t timeoutMs);
