// The Win32 side of the platform seam, against the real system under Wine.
#include "platform/platform.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(PlatformWin32, CounterIsMonotonicWithAPositiveFrequency)
{
    int64_t frequency = 0;
    ASSERT_TRUE(Platform::Read_Counter_Frequency(&frequency));
    EXPECT_GT(frequency, 0);
    int64_t previous = 0;
    ASSERT_TRUE(Platform::Read_Counter(&previous));
    for (int i = 0; i < 1000; ++i)
    {
        int64_t now = 0;
        ASSERT_TRUE(Platform::Read_Counter(&now));
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST(PlatformWin32, CounterAndMillisecondClockMeasureTheSameSleep)
{
    int64_t frequency = 0, start = 0, end = 0;
    Platform::Read_Counter_Frequency(&frequency);
    const uint32_t start_ms = Platform::Milliseconds();
    Platform::Read_Counter(&start);
    Sleep(120);
    Platform::Read_Counter(&end);
    const uint32_t elapsed_ms = Platform::Milliseconds() - start_ms;
    const double elapsed_s = double(end - start) / double(frequency);
    // Only lower bounds: a sleep never ends early, but a busy machine may end it late.
    EXPECT_GE(elapsed_s, 0.100);
    EXPECT_GE(elapsed_ms, 100u);
    // Both clocks saw the same interval; allow for the tick clock's coarse steps.
    EXPECT_NEAR(elapsed_s * 1000.0, double(elapsed_ms), 40.0);
}

TEST(PlatformWin32, MillisecondClockIsTheMultimediaClock)
{
    // The multimedia clock and the tick count start together at boot under Windows and Wine.
    const uint32_t ours = Platform::Milliseconds();
    const uint32_t ticks = GetTickCount();
    EXPECT_LT(uint32_t(ticks - ours) + 1000u, 2000u) << ours << " vs " << ticks;
}

TEST(PlatformWin32, ScreenSizeIsThePrimaryDisplays)
{
    HDC screen = GetDC(NULL);
    const int width = GetDeviceCaps(screen, HORZRES);
    const int height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(NULL, screen);
    EXPECT_EQ(width, Platform::Screen_Width());
    EXPECT_EQ(height, Platform::Screen_Height());
    // The test session's virtual display.
    EXPECT_EQ(1024, Platform::Screen_Width());
    EXPECT_EQ(768, Platform::Screen_Height());
}

TEST(PlatformWin32, DebuggerBreakIsHarmlessWithoutADebugger)
{
    ASSERT_FALSE(IsDebuggerPresent());
    Platform::Break_Into_Debugger();
    Platform::Failure_Beep();
    SUCCEED();
}
