// Fifty days of a saver left running, in simulated time: the millisecond clock wraps after
// 2^32 ms (49.7 days), and the renderer compares its readings by unsigned difference. Every
// hour the scene runs a short burst of frames, fast or slow in turn; across the wrap it runs
// seventy seconds of frames without a gap. Each update is checked against each banana's own
// last-visible time: a banana goes exactly when more than 15000 ms have passed since it was
// last drawn in view, never sooner or later, and the count keeps to 10 ... 50, changing every
// 500 ms while the frame rate asks it to, across the wrap as anywhere else.
#include "render_scene.h"

#include "gl_offscreen.h"
#include "platform/gl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

const int Width = 64; // small: only the camera's view decides visibility, not the pixels
const int Height = 48;
const uint64_t Wrap = uint64_t(1) << 32;         // milliseconds
const uint64_t FiftyDays = 50ull * 24 * 3600000; // milliseconds
const uint64_t Hour = 3600000;                   // milliseconds
const uint64_t DenseStart = Wrap - 75000; // 30 s fast, 30 s slow, then 40 s fast across the wrap
const uint32_t InvisibleTimeout = 15000;
const int MinCount = CRender::MinBananaCount; // copies: the test's checks take references
const int MaxCount = CRender::MaxBananaCount; // milliseconds

class SimulatedDaysTest : public ::testing::Test
{
protected:
    COffscreenContext Context{Width, Height};
    uint64_t Now = 100000; // the millisecond clock's reading, unwrapped
    long Frames = 0;
    long Births = 0;
    long Expiries = 0;
    long ExpiriesAcrossWrap = 0; // last seen before the wrap, gone after it
    long Mismatches = 0;
    std::string FirstMismatch;
    int LowestTarget = MaxCount;
    int HighestTarget = MinCount;

    void SetUp() override
    {
        ASSERT_TRUE(Context.Is_Valid());
        RenderScene::Start(Width, Height, 50, uint32_t(Now));
    }

    void TearDown() override { CRender::Close(); }

    void Mismatch(const char *what, int slot)
    {
        if (Mismatches++ == 0)
        {
            char text[200];
            snprintf(text, sizeof(text), "%s: slot %d at %llu ms (clock %u)", what, slot,
                     static_cast<unsigned long long>(Now), unsigned(FakePlatform::Milliseconds));
            FirstMismatch = text;
        }
    }

    // One frame; the update's retirements checked against what each banana last saw.
    void Checked_Frame(uint64_t milliseconds)
    {
        RenderScene::Advance(double(milliseconds) / 1000.0);
        Now += milliseconds;
        CBanana *before[CRender::NumSlots];
        uint32_t last_visible[CRender::NumSlots] = {};
        for (int i = 0; i < CRender::NumSlots; ++i)
        {
            before[i] = CRender::Bananas[i];
            if (before[i] != nullptr)
                last_visible[i] = before[i]->LastVisibleTime;
        }
        const uint32_t clock = FakePlatform::Milliseconds;
        RenderScene::Update();
        for (int i = 0; i < CRender::NumSlots; ++i)
        {
            const CBanana *after = CRender::Bananas[i];
            if (before[i] == nullptr)
            {
                Births += after != nullptr ? 1 : 0;
                continue;
            }
            const bool due = uint32_t(clock - last_visible[i]) > InvisibleTimeout;
            if (due && after != nullptr)
                Mismatch("kept after 15000 ms unseen", i);
            if (!due && after == nullptr)
                Mismatch("retired too soon", i);
            if (!due && after != nullptr && after != before[i])
                Mismatch("replaced while alive", i);
            if (due && after == nullptr)
            {
                ++Expiries;
                // Seen before the wrap (a reading above the clock's), retired after it.
                ExpiriesAcrossWrap += last_visible[i] > clock ? 1 : 0;
            }
        }
        const int target = CRender::TargetBananaCount;
        if (target < MinCount || target > MaxCount)
            Mismatch("target out of 10 ... 50", -1);
        LowestTarget = std::min(LowestTarget, target);
        HighestTarget = std::max(HighestTarget, target);
        CRender::Draw();
        ++Frames;
    }

    // Frames of one length for a while; the times (unwrapped) at which the target changed.
    std::vector<uint64_t> Run(uint64_t frame_ms, uint64_t duration_ms)
    {
        std::vector<uint64_t> changes;
        for (uint64_t spent = 0; spent < duration_ms; spent += frame_ms)
        {
            const int target = CRender::TargetBananaCount;
            Checked_Frame(frame_ms);
            if (CRender::TargetBananaCount != target)
                changes.push_back(Now);
        }
        return changes;
    }

    // An hour passes without a frame (the display asleep, say), then a short burst.
    void Hours_Until(uint64_t end)
    {
        bool fast = true;
        while (Now + Hour <= end)
        {
            Checked_Frame(Hour);
            Run(fast ? 20 : 100, 1200);
            fast = !fast;
        }
        if (Now < end)
            Checked_Frame(end - Now);
    }
};

// Every gap between consecutive changes, which should all be the adjustment interval.
void Expect_Every_500_Ms(const std::vector<uint64_t> &changes, const char *what)
{
    ASSERT_GE(changes.size(), 2u) << what;
    for (size_t i = 1; i < changes.size(); ++i)
        EXPECT_EQ(500u, changes[i] - changes[i - 1])
            << what << ": change " << i << " at " << changes[i] << " ms";
}

} // namespace

TEST_F(SimulatedDaysTest, BananasExpireOnTimeAndTheCountFollowsTheFramerateForFiftyDays)
{
    Hours_Until(DenseStart);
    ASSERT_EQ(DenseStart, Now);

    // Fifty frames a second until the count is at its most, ten until it is at its least ...
    Run(20, 30000);
    EXPECT_EQ(MaxCount, CRender::TargetBananaCount);
    const std::vector<uint64_t> falls = Run(100, 30000);
    EXPECT_EQ(MinCount, CRender::TargetBananaCount);
    ASSERT_LT(Now, Wrap);
    // ... then fifty a second: it climbs by one each 500 ms, over the wrap without a pause.
    const std::vector<uint64_t> rises = Run(20, 40000);
    ASSERT_GT(Now, Wrap);
    EXPECT_EQ(MaxCount, CRender::TargetBananaCount);

    ASSERT_EQ(size_t(MaxCount - MinCount), rises.size());
    EXPECT_LT(rises.front(), Wrap);
    EXPECT_GT(rises.back(), Wrap);
    Expect_Every_500_Ms(rises, "rising across the wrap");
    ASSERT_EQ(size_t(MaxCount - MinCount), falls.size());
    Expect_Every_500_Ms(falls, "falling");
    EXPECT_GT(ExpiriesAcrossWrap, 0) << "no banana was last seen before the wrap and retired after";

    Hours_Until(FiftyDays);
    EXPECT_EQ(FiftyDays, Now);

    EXPECT_EQ(0, Mismatches) << FirstMismatch;
    EXPECT_EQ(MinCount, LowestTarget);
    EXPECT_EQ(MaxCount, HighestTarget);
    // Every hour's first frame retires the whole scene, which the burst then fills again.
    EXPECT_GT(Expiries, 1100L * MinCount);
    EXPECT_GT(Births, Expiries - CRender::NumSlots);
    printf("[ figures  ] %ld frames over 50 simulated days, %ld births, %ld expiries, %ld of "
           "them across the clock's wrap\n",
           Frames, Births, Expiries, ExpiriesAcrossWrap);
}
