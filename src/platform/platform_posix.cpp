// POSIX side of the platform seam, used by the native build (tests, tools, benchmarks).
#include "platform.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace Platform
{

bool Read_Counter(int64_t *count)
{
    timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return false;
    *count = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    return true;
}

bool Read_Counter_Frequency(int64_t *ticks_per_second)
{
    *ticks_per_second = 1000000000; // Read_Counter counts nanoseconds
    return true;
}

uint32_t Milliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Truncation to 32 bits gives the same wrapping behaviour as the Windows tick clock.
    return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}

// The portable build has no display of its own: a host that owns one (an X11 window) knows its
// size. Zero makes any reader that relies on it fail its own check rather than draw wrongly.
int Screen_Width()
{
    return 0;
}
int Screen_Height()
{
    return 0;
}

void Failure_Beep()
{
    if (isatty(STDERR_FILENO))
        fputc('\a', stderr);
}

void Show_Error_Box(const char *caption, const char *message)
{
    fprintf(stderr, "%s: %s\n", caption, message);
}

static bool Is_Debugger_Attached()
{
    FILE *status = fopen("/proc/self/status", "r");
    if (status == nullptr)
        return false;
    char line[256];
    long tracer = 0;
    while (fgets(line, sizeof(line), status) != nullptr)
    {
        if (strncmp(line, "TracerPid:", 10) == 0)
        {
            tracer = strtol(line + 10, nullptr, 10);
            break;
        }
    }
    fclose(status);
    return tracer != 0;
}

void Break_Into_Debugger()
{
    // SIGTRAP without a tracer would kill the process abnormally instead of letting it exit.
    if (Is_Debugger_Attached())
        raise(SIGTRAP);
}

} // namespace Platform
