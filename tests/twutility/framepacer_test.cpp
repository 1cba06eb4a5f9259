#include "twutility/framepacer.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

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
};

// The host's loop on a clock whose waits end only on the system's timer ticks, as Windows ends
// them: 15.625 ms unless the saver raises the resolution to 1 ms. Frames take 2 ms to draw, or one
// of them 40 ms. Presented frames are never a moment apart; with 1 ms ticks and no slow frame,
// every interval after the first is within 2 ms of the 60 Hz period.
struct CTickCase
{
    int TickUs;
    bool SlowFrame;
};

class CTicks : public FramePacerTest, public testing::WithParamInterface<CTickCase>
{
};

TEST_P(CTicks, FramesComeEvenlyAndNeverInPairs)
{
    const CTickCase c = GetParam();
    const int64_t period_us = 1000000 / 60;
    CFramePacer::Init(60, false);
    std::vector<int64_t> presented;
    while (presented.size() < 90)
    {
        const int64_t wait_us = int64_t(CFramePacer::Milliseconds_To_Wait()) * 1000;
        int64_t &now = FakePlatform::Counter;
        if (wait_us > 0)
            now = (now + wait_us + c.TickUs - 1) / c.TickUs * c.TickUs;
        else
        {
            now += c.SlowFrame && presented.size() == 30 ? 40000 : 2000;
            presented.push_back(now);
            CFramePacer::Frame_Drawn(0.0);
        }
    }
    for (size_t i = 1; i < presented.size(); ++i)
    {
        const int64_t interval = presented[i] - presented[i - 1];
        EXPECT_GE(interval, period_us / 2) << "frame " << i;
        const bool even = c.TickUs == 1000 && !c.SlowFrame && i > 1;
        EXPECT_TRUE(!even || std::abs(interval - period_us) <= 2000) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Clock, CTicks,
                         testing::Values(CTickCase{1000, false}, CTickCase{1000, true},
                                         CTickCase{15625, false}, CTickCase{15625, true}));

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
