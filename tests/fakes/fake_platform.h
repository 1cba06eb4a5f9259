// A platform whose clocks and screen tests set by hand, and which records what the core asked
// of it (beeps, error boxes, debugger breaks) instead of doing it.
#ifndef QUILLOMAR_FAKE_PLATFORM_H
#define QUILLOMAR_FAKE_PLATFORM_H

#include <cstdint>
#include <string>

namespace FakePlatform
{

extern int64_t Counter;   // ticks
extern int64_t Frequency; // ticks per second
extern bool CounterFails;
extern bool FrequencyFails;
extern uint32_t Milliseconds;
extern int ScreenWidth;
extern int ScreenHeight;

extern int BeepCount;
extern int DebuggerBreakCount;
extern int ErrorBoxCount;
extern std::string LastErrorCaption;
extern std::string LastErrorMessage;

// Back to a working counter at 1 MHz, clocks at zero, a 1024 x 768 screen, nothing recorded.
void Reset();

// Moves the counter on by a number of seconds at the current frequency.
void Advance_Seconds(double seconds);

} // namespace FakePlatform

#endif
