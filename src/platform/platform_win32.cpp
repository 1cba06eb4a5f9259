// Win32 side of the platform seam.
#include "platform.h"

#include <windows.h>
#include <mmsystem.h>

namespace Platform
{

bool Read_Counter(int64_t *count)
{
    LARGE_INTEGER value;
    if (!QueryPerformanceCounter(&value))
        return false;
    *count = value.QuadPart;
    return true;
}

bool Read_Counter_Frequency(int64_t *ticks_per_second)
{
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value))
        return false;
    *ticks_per_second = value.QuadPart;
    return true;
}

uint32_t Milliseconds()
{
    return timeGetTime();
}

int Screen_Width()
{
    return GetSystemMetrics(SM_CXSCREEN);
}
int Screen_Height()
{
    return GetSystemMetrics(SM_CYSCREEN);
}

void Failure_Beep()
{
    MessageBeep(MB_ICONEXCLAMATION);
}

void Show_Error_Box(const char *caption, const char *message)
{
    MessageBoxA(NULL, message, caption, MB_ICONERROR | MB_OK);
}

void Break_Into_Debugger()
{
    // DebugBreak without a debugger raises an unhandled exception and the process dies with a
    // crash report instead of exiting with its status.
    if (IsDebuggerPresent())
        DebugBreak();
}

} // namespace Platform
