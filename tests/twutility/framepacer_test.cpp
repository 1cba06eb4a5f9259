#include "twutility/framepacer.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

namespace
{

class FramePacerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::Reset();
        FakePlatform::Counter = 5000000;
    }

    static void At_Milliseconds(int ms) { FakePlatform::Counter = 5000000 + ms * 1000; }
};

TEST_F(FramePacerTest, PacedFramesComeOnePeriodAfterTheLastDeadline)
{
    CFramePacer::Init(60, false);
    EXPECT_EQ(0u, CFramePacer::Milliseconds_To_Wait()) << "the first frame at once";
    CFramePacer::Frame_Drawn(0.0);
    EXPECT_EQ(17u, CFramePacer::Milliseconds_To_Wait()) << "16.67 ms, rounded up";
    At_Milliseconds(10);
    EXPECT_EQ(7u, CFramePacer::Milliseconds_To_Wait());
    At_Milliseconds(18); // woken late: the next deadline still counts from this one's
    EXPECT_EQ(0u, CFramePacer::Milliseconds_To_Wait());
    CFramePacer::Frame_Drawn(0.0);
    EXPECT_EQ(16u, CFramePacer::Milliseconds_To_Wait());
    At_Milliseconds(100); // a slow frame: no hurry to catch up afterwards
    CFramePacer::Frame_Drawn(0.0);
    EXPECT_EQ(0u, CFramePacer::Milliseconds_To_Wait());
    CFramePacer::Frame_Drawn(0.0);
    EXPECT_EQ(17u, CFramePacer::Milliseconds_To_Wait());
}

TEST_F(FramePacerTest, SwapsThatWaitAreTrustedUntilTheRateBelieThem)
{
    CFramePacer::Init(75, true);
    CFramePacer::Frame_Drawn(75.0 * 1.25);
    EXPECT_EQ(0u, CFramePacer::Milliseconds_To_Wait()) << "75 Hz, swaps wait";
    CFramePacer::Frame_Drawn(95.0);
    EXPECT_TRUE(CFramePacer::Pacing);
    EXPECT_EQ(14u, CFramePacer::Milliseconds_To_Wait()) << "13.3 ms, rounded up";
}

TEST_F(FramePacerTest, AnUnknownRefreshRateIsSixtyHertz)
{
    for (int unknown : {0, 1})
    {
        CFramePacer::Init(unknown, false);
        CFramePacer::Frame_Drawn(0.0);
        EXPECT_EQ(17u, CFramePacer::Milliseconds_To_Wait()) << unknown;
    }
}

} // namespace
