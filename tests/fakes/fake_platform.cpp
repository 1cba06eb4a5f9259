#include "fake_platform.h"

#include "platform/platform.h"

#include <cmath>
#include <cstdio>

namespace FakePlatform
{

// Constant-initialised to the reset state, so static initialisers elsewhere see a working fake.
int64_t Counter = 0;
int64_t Frequency = 1000000;
bool CounterFails = false;
bool FrequencyFails = false;
uint32_t Milliseconds = 0;
int ScreenWidth = 1024;
int ScreenHeight = 768;
int BeepCount;
int DebuggerBreakCount;
int ErrorBoxCount;
std::string LastErrorCaption;
std::string LastErrorMessage;

void Reset()
{
    Counter = 0;
    Frequency = 1000000;
    CounterFails = false;
    FrequencyFails = false;
    Milliseconds = 0;
    ScreenWidth = 1024;
    ScreenHeight = 768;
    BeepCount = 0;
    DebuggerBreakCount = 0;
    ErrorBoxCount = 0;
    LastErrorCaption.clear();
    LastErrorMessage.clear();
}

void Advance_Seconds(double seconds)
{
    Counter += int64_t(std::llround(seconds * Frequency));
}

} // namespace FakePlatform

namespace Platform
{

bool Read_Counter(int64_t *count)
{
    if (FakePlatform::CounterFails)
        return false;
    *count = FakePlatform::Counter;
    return true;
}

bool Read_Counter_Frequency(int64_t *ticks_per_second)
{
    if (FakePlatform::FrequencyFails)
        return false;
    *ticks_per_second = FakePlatform::Frequency;
    return true;
}

uint32_t Milliseconds()
{
    return FakePlatform::Milliseconds;
}
int Screen_Width()
{
    return FakePlatform::ScreenWidth;
}
int Screen_Height()
{
    return FakePlatform::ScreenHeight;
}
// Each request is also written to stderr: a death test sees only what its child printed.
void Failure_Beep()
{
    ++FakePlatform::BeepCount;
    fprintf(stderr, "[fake] beep\n");
}

void Show_Error_Box(const char *caption, const char *message)
{
    ++FakePlatform::ErrorBoxCount;
    FakePlatform::LastErrorCaption = caption;
    FakePlatform::LastErrorMessage = message;
    fprintf(stderr, "[fake] error box <%s> <%s>\n", caption, message);
}

void Break_Into_Debugger()
{
    ++FakePlatform::DebuggerBreakCount;
    fprintf(stderr, "[fake] debugger break\n");
}

} // namespace Platform
