#include "twutility/timer.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

namespace
{

class TimerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::Reset();
        FakePlatform::Counter = 5000000; // the counter does not start at zero
        CTimer::FrameCount = 0;
        CTimer::SampleFrameCount = 0;
        CTimer::AverageFramerate = CTimer::SampleFramerate = 0.0;
        CTimer::Init();
    }

    static void Frame(double seconds)
    {
        FakePlatform::Advance_Seconds(seconds);
        CTimer::Update();
    }
};

TEST_F(TimerTest, IntervalElapsedTimeAndAverage)
{
    Frame(0.25);
    Frame(0.5);
    EXPECT_EQ(2u, CTimer::FrameCount);
    EXPECT_DOUBLE_EQ(0.5, CTimer::TimeInterval);
    EXPECT_DOUBLE_EQ(0.75, CTimer::ElapsedTime);
    EXPECT_DOUBLE_EQ(2 / 0.75, CTimer::AverageFramerate);
}

TEST_F(TimerTest, AFrameWithoutTimeLeavesTheAverageAlone)
{
    Frame(0.0);
    EXPECT_EQ(0.0, CTimer::AverageFramerate);
    EXPECT_EQ(0.0, CTimer::TimeInterval);
}

TEST_F(TimerTest, SampleRateIsTakenOnceASecondHasPassed)
{
    for (int i = 0; i < 24; ++i)
        Frame(0.04);
    EXPECT_EQ(0.0, CTimer::SampleFramerate) << "0.96 s is not a sample yet";
    Frame(0.04); // exactly one second
    EXPECT_DOUBLE_EQ(25.0, CTimer::SampleFramerate);
    for (int i = 0; i < 7; ++i)
        Frame(0.125); // a new sample starts where the last one ended
    EXPECT_DOUBLE_EQ(25.0, CTimer::SampleFramerate);
    Frame(0.125);
    EXPECT_DOUBLE_EQ(8.0, CTimer::SampleFramerate);
}

TEST_F(TimerTest, ARestIsNeitherAnIntervalNorPartOfTheRunOrItsSample)
{
    for (int i = 0; i < 20; ++i)
        Frame(0.04);
    FakePlatform::Advance_Seconds(3600.0);
    CTimer::Resume();
    Frame(0.04);
    EXPECT_DOUBLE_EQ(0.04, CTimer::TimeInterval);
    EXPECT_DOUBLE_EQ(21 * 0.04, CTimer::ElapsedTime);
    for (int i = 0; i < 24; ++i)
        Frame(0.04);
    EXPECT_DOUBLE_EQ(25.0, CTimer::SampleFramerate) << "the second after the rest";
}

} // namespace
