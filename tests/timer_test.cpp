// Frame timing against a counter the test steps by hand.
#include "twutility/timer.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace
{

class TimerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::Reset();
        FakePlatform::Counter = 5000000; // the counter need not start at zero
        CTimer::Frequency = CTimer::StartCount = CTimer::LastCount = 0;
        CTimer::SampleStartCount = 0;
        CTimer::TimeInterval = CTimer::ElapsedTime = 0.0;
        CTimer::FrameCount = CTimer::SampleFrameCount = 0;
        CTimer::AverageFramerate = CTimer::SampleFramerate = 0.0;
    }

    static void Frames(int count, double seconds_each)
    {
        for (int i = 0; i < count; ++i)
        {
            FakePlatform::Advance_Seconds(seconds_each);
            CTimer::Update();
        }
    }
};

} // namespace

TEST_F(TimerTest, FirstUpdateMeasuresFromInit)
{
    CTimer::Init();
    EXPECT_EQ(0.0, CTimer::TimeInterval);
    FakePlatform::Advance_Seconds(0.25);
    CTimer::Update();
    EXPECT_EQ(1u, CTimer::FrameCount);
    EXPECT_DOUBLE_EQ(0.25, CTimer::TimeInterval);
    EXPECT_DOUBLE_EQ(0.25, CTimer::ElapsedTime);
    EXPECT_DOUBLE_EQ(4.0, CTimer::AverageFramerate);
    EXPECT_EQ(0.0, CTimer::SampleFramerate);
}

TEST_F(TimerTest, SampleCompletesAfterOneSecondAndHoldsUntilTheNext)
{
    CTimer::Init();
    Frames(62, 0.016); // 0.992 s: not yet a second
    EXPECT_EQ(0.0, CTimer::SampleFramerate);
    Frames(1, 0.016); // 63 frames over 1.008 s
    EXPECT_DOUBLE_EQ(62.5, CTimer::SampleFramerate);
    EXPECT_EQ(0u, CTimer::SampleFrameCount);

    // The next sample counts from the following frame and the value holds meanwhile.
    Frames(30, 0.02);
    EXPECT_DOUBLE_EQ(62.5, CTimer::SampleFramerate);
    Frames(20, 0.02); // 50 frames over exactly 1.0 s
    EXPECT_DOUBLE_EQ(50.0, CTimer::SampleFramerate);
    EXPECT_EQ(113u, CTimer::FrameCount);
}

TEST_F(TimerTest, SampleOfExactlyOneSecondCompletes)
{
    CTimer::Init();
    Frames(4, 0.25);
    EXPECT_DOUBLE_EQ(4.0, CTimer::SampleFramerate);
}

TEST_F(TimerTest, AverageAfter120FramesInTwoSecondsIsSixtyWhateverTheSamples)
{
    FakePlatform::Frequency = 60000; // whole ticks for every frame below
    CTimer::Init();
    Frames(30, 500.0 / 60000);  // fast
    Frames(60, 1500.0 / 60000); // slow
    Frames(30, 500.0 / 60000);
    EXPECT_EQ(120u, CTimer::FrameCount);
    EXPECT_DOUBLE_EQ(2.0, CTimer::ElapsedTime);
    EXPECT_DOUBLE_EQ(60.0, CTimer::AverageFramerate);
}

TEST_F(TimerTest, UnchangedCounterGivesAZeroInterval)
{
    CTimer::Init();
    Frames(1, 0.1);
    const double average = CTimer::AverageFramerate;
    CTimer::Update();
    EXPECT_EQ(0.0, CTimer::TimeInterval);
    EXPECT_EQ(2u, CTimer::FrameCount);
    EXPECT_DOUBLE_EQ(2.0 * average, CTimer::AverageFramerate);
}

TEST_F(TimerTest, UpdateBeforeAnyTimePassedKeepsTheAverageAtZero)
{
    CTimer::Init();
    CTimer::Update();
    EXPECT_EQ(0.0, CTimer::ElapsedTime);
    EXPECT_EQ(0.0, CTimer::AverageFramerate);
}

TEST_F(TimerTest, InitKeepsTheFrameCount)
{
    CTimer::Init();
    Frames(5, 0.1);
    CTimer::Init();
    EXPECT_EQ(5u, CTimer::FrameCount);
    EXPECT_EQ(5u, CTimer::SampleFrameCount);
}

TEST_F(TimerTest, LargeCounterValuesKeepFullPrecision)
{
    FakePlatform::Counter = int64_t(1) << 53; // well past what a double holds to the tick
    FakePlatform::Frequency = 10000000;
    CTimer::Init();
    FakePlatform::Counter += 1;
    CTimer::Update();
    EXPECT_DOUBLE_EQ(1e-7, CTimer::TimeInterval);
}

using TimerDeathTest = TimerTest;

TEST_F(TimerDeathTest, FailingOrZeroFrequencyIsABrokenPrecondition)
{
    FakePlatform::FrequencyFails = true;
    EXPECT_EXIT(CTimer::Init(), ::testing::ExitedWithCode(1), "beep");
    FakePlatform::FrequencyFails = false;
    FakePlatform::Frequency = 0;
    EXPECT_EXIT(CTimer::Init(), ::testing::ExitedWithCode(1), "beep");
    FakePlatform::Frequency = -1;
    EXPECT_EXIT(CTimer::Init(), ::testing::ExitedWithCode(1), "beep");
}

TEST_F(TimerDeathTest, FailingCounterIsABrokenPrecondition)
{
    FakePlatform::CounterFails = true;
    EXPECT_EXIT(CTimer::Init(), ::testing::ExitedWithCode(1), "beep");
    FakePlatform::CounterFails = false;
    CTimer::Init();
    FakePlatform::CounterFails = true;
    EXPECT_EXIT(CTimer::Update(), ::testing::ExitedWithCode(1), "beep");
}
