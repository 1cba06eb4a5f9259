// The operating-system services the portable core may use, and nothing else.
// One implementation per system (platform_win32.cpp, platform_posix.cpp); tests link a fake
// (tests/fakes/fake_platform.cpp) whose clocks they drive by hand.
#ifndef QUILLOMAR_PLATFORM_H
#define QUILLOMAR_PLATFORM_H

#include <cstdint>

namespace Platform
{

// High-resolution monotonic counter, in ticks. Returns false when the system cannot read it.
bool Read_Counter(int64_t *count);

// Ticks per second of Read_Counter; fixed for the life of the process. False on failure.
bool Read_Counter_Frequency(int64_t *ticks_per_second);

// Milliseconds since some fixed point, 32 bits: wraps every 2^32 ms (about 49.7 days), so
// readings are compared by unsigned difference only.
uint32_t Milliseconds();

// Size of the primary display, in pixels, as the system reports it (unchecked).
int Screen_Width();
int Screen_Height();

// The system's exclamation sound.
void Failure_Beep();

// Shows a modal error message (caption, text) and returns when the user has dismissed it.
void Show_Error_Box(const char *caption, const char *message);

// Stops in an attached debugger; does nothing when no debugger is attached.
void Break_Into_Debugger();

} // namespace Platform

#endif
