// The renderer on an offscreen context, with the counter and the millisecond clock stepped by
// hand: banana creation and retirement, the count that follows the frame rate, and the overlay.
#include "render.h"

#include "banana.h"
#include "fakes/fake_platform.h"
#include "gl_offscreen.h"
#include "render_scene.h"
#include "host/hoststate.h"
#include "platform/gl.h"
#include "resolution.h"
#include "texturefont.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

const int Width = 320;
const int Height = 240;

class RenderTest : public ::testing::Test
{
protected:
    COffscreenContext Context{Width, Height};

    void SetUp() override
    {
        ASSERT_TRUE(Context.Is_Valid());
        RenderScene::Start(Width, Height, 4242);
    }

    void TearDown() override { CRender::Close(); }

    // One frame as the drawing window runs it, the clocks moved on first.
    static void Frame(double seconds) { RenderScene::Frame(seconds); }

    static void Step_Clock_And_Adjust(uint32_t milliseconds)
    {
        FakePlatform::Milliseconds += milliseconds;
        CRender::Adjust_Banana_Count();
    }

    // Bounding box of the white pixels in rows [top, bottom); false when there are none.
    bool White_Box(int top, int bottom, int *left, int *right) const
    {
        *left = Width;
        *right = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < Width; ++x)
            {
                const uint8_t *p = Context.Pixel(x, y);
                if (p[0] > 200 && p[1] > 200 && p[2] > 200)
                {
                    *left = std::min(*left, x);
                    *right = std::max(*right, x);
                }
            }
        return *right >= 0;
    }

    int White_Pixels(int top, int bottom) const
    {
        int left, right, count = 0;
        if (!White_Box(top, bottom, &left, &right))
            return 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < Width; ++x)
            {
                const uint8_t *p = Context.Pixel(x, y);
                count += p[0] > 200 && p[1] > 200 && p[2] > 200 ? 1 : 0;
            }
        return count;
    }

    std::vector<uint8_t> Snapshot() const
    {
        std::vector<uint8_t> pixels;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                pixels.insert(pixels.end(), Context.Pixel(x, y), Context.Pixel(x, y) + 3);
        return pixels;
    }
};

using RenderDeathTest = RenderTest;

} // namespace

TEST_F(RenderTest, FirstTwoFramesCreateNothingTheThirdCreatesTen)
{
    Frame(0.016);
    EXPECT_EQ(0, CRender::Count_Bananas());
    Frame(0.016);
    EXPECT_EQ(0, CRender::Count_Bananas());
    Frame(0.016);
    EXPECT_EQ(10, CRender::Count_Bananas());
    for (int slot = 0; slot < CRender::NumSlots; ++slot)
        EXPECT_EQ(slot < 10, CRender::Bananas[slot] != nullptr) << "slot " << slot;
}

TEST_F(RenderTest, ASlotEmptiedByExpiryIsRefilledTheNextFrameNotTheSamePass)
{
    CRender::TargetBananaCount = CRender::MaxBananaCount;
    for (int i = 0; i < 3; ++i)
        Frame(0.016);
    ASSERT_EQ(50, CRender::Count_Bananas());

    // Slot 0's banana far out of sight and unseen for more than 15 s.
    CBanana *old = CRender::Bananas[0];
    old->Position.Set(1000.0, 1000.0, 5000.0);
    old->LastVisibleTime = FakePlatform::Milliseconds - 20000;
    Frame(0.016);
    EXPECT_EQ(nullptr, CRender::Bananas[0]);
    EXPECT_EQ(49, CRender::Count_Bananas());
    Frame(0.016);
    EXPECT_NE(nullptr, CRender::Bananas[0]);
    EXPECT_EQ(50, CRender::Count_Bananas());
}

TEST_F(RenderTest, AnEarlyExpiryLetsALaterEmptySlotFillInTheSamePass)
{
    for (int i = 0; i < 3; ++i)
        Frame(0.016);
    ASSERT_EQ(10, CRender::Count_Bananas());
    CRender::Bananas[2]->Position.Set(-1000.0, 0.0, 5000.0);
    CRender::Bananas[2]->LastVisibleTime = FakePlatform::Milliseconds - 15001;
    Frame(0.016);
    EXPECT_EQ(nullptr, CRender::Bananas[2]);
    EXPECT_NE(nullptr, CRender::Bananas[10]);
    EXPECT_EQ(10, CRender::Count_Bananas());
}

TEST_F(RenderTest, FastFrameRateRaisesTheTargetOncePer500MsUpTo50)
{
    CTimer::SampleFramerate = 60.0;
    CTimer::TimeInterval = 0.016;
    std::vector<uint32_t> raised_at;
    int previous = CRender::TargetBananaCount;
    for (uint32_t t = 0; t <= 25000; t += 16)
    {
        Step_Clock_And_Adjust(16);
        if (CRender::TargetBananaCount != previous)
        {
            EXPECT_EQ(previous + 1, CRender::TargetBananaCount);
            raised_at.push_back(t);
            previous = CRender::TargetBananaCount;
        }
    }
    EXPECT_EQ(50, CRender::TargetBananaCount);
    ASSERT_EQ(40u, raised_at.size());
    for (size_t i = 1; i < raised_at.size(); ++i)
    {
        EXPECT_GE(raised_at[i] - raised_at[i - 1], 500u);
        EXPECT_LT(raised_at[i] - raised_at[i - 1], 500u + 16u);
    }
}

TEST_F(RenderTest, SlowFrameRateLowersTheTargetTo10)
{
    CRender::TargetBananaCount = 30;
    CTimer::SampleFramerate = 12.0;
    CTimer::TimeInterval = 0.08;
    int steps = 0, previous = 30;
    for (int i = 0; i < 400; ++i)
    {
        Step_Clock_And_Adjust(80);
        steps += CRender::TargetBananaCount != previous ? 1 : 0;
        previous = CRender::TargetBananaCount;
    }
    EXPECT_EQ(10, CRender::TargetBananaCount);
    EXPECT_EQ(20, steps);
}

TEST_F(RenderTest, StrictComparisonsLeaveTheCountAlone)
{
    struct Case
    {
        double SampleFramerate;
        double TimeInterval;
        const char *Why;
    };
    const Case cases[] = {
        {60.0, 0.05, "fast sample, one slow frame"},
        {12.0, 0.03, "slow sample, one fast frame"},
        {25.0, 0.016, "exactly the threshold, fast frame"},
        {25.0, 0.08, "exactly the threshold, slow frame"},
        {60.0, 0.04, "a frame of exactly 1/25 s"},
        {12.0, 0.04, "a frame of exactly 1/25 s, slow sample"},
    };
    for (const Case &c : cases)
    {
        CRender::TargetBananaCount = 20;
        CRender::LastCountAdjustTime = 0;
        CTimer::SampleFramerate = c.SampleFramerate;
        CTimer::TimeInterval = c.TimeInterval;
        Step_Clock_And_Adjust(1000);
        EXPECT_EQ(20, CRender::TargetBananaCount) << c.Why;
        EXPECT_EQ(0u, CRender::LastCountAdjustTime) << c.Why;
    }
}

TEST_F(RenderTest, AdjustmentAtALimitStillRestartsThe500MsWait)
{
    CRender::TargetBananaCount = 50;
    CTimer::SampleFramerate = 60.0;
    CTimer::TimeInterval = 0.016;
    Step_Clock_And_Adjust(0);
    EXPECT_EQ(50, CRender::TargetBananaCount);
    EXPECT_EQ(FakePlatform::Milliseconds, CRender::LastCountAdjustTime);
}

TEST_F(RenderTest, TheWaitSurvivesTheClockWrap)
{
    FakePlatform::Milliseconds = 0xFFFFFF00u;
    CRender::LastCountAdjustTime = 0xFFFFFF00u;
    CTimer::SampleFramerate = 60.0;
    CTimer::TimeInterval = 0.016;
    Step_Clock_And_Adjust(400); // wraps past zero, 400 ms since the last change
    EXPECT_EQ(10, CRender::TargetBananaCount);
    Step_Clock_And_Adjust(100);
    EXPECT_EQ(11, CRender::TargetBananaCount);
}

TEST_F(RenderTest, LoweringTheTargetNeverDeletesABanana)
{
    CRender::TargetBananaCount = 20;
    for (int i = 0; i < 3; ++i)
        Frame(0.016);
    ASSERT_EQ(20, CRender::Count_Bananas());
    CRender::TargetBananaCount = 10;
    for (int i = 0; i < 5; ++i)
        Frame(0.016);
    EXPECT_EQ(20, CRender::Count_Bananas());
}

TEST_F(RenderTest, CloseFreesOnlyTheOccupiedSlots)
{
    for (int i = 0; i < 3; ++i)
        Frame(0.016);
    delete CRender::Bananas[3];
    CRender::Bananas[3] = nullptr;
    delete CRender::Bananas[7];
    CRender::Bananas[7] = nullptr;
    CRender::Close(); // AddressSanitizer reports a double or missing release
    EXPECT_EQ(0, CRender::Count_Bananas());
}

// Frame time = a + b x live bananas: the count climbs while frames are faster than 1/25 s.
static void Simulate(double a, double b, double seconds, std::vector<int> *targets)
{
    double elapsed = 0.0;
    while (elapsed < seconds)
    {
        const double frame_time = a + b * CRender::Count_Bananas();
        FakePlatform::Advance_Seconds(frame_time);
        FakePlatform::Milliseconds += uint32_t(std::llround(frame_time * 1000.0));
        elapsed += frame_time;
        CTimer::Update();
        CRender::Update(CTimer::TimeInterval);
        CRender::Draw();
        targets->push_back(CRender::TargetBananaCount);
    }
}

TEST_F(RenderTest, ACheapSceneReaches50BananasAsFastAsTheStepsAllow)
{
    // The first sample completes after 1 s; then 40 steps of 500 ms: 21 s at the least.
    std::vector<int> targets;
    Simulate(0.005, 0.0002, 20.0, &targets);
    EXPECT_GE(targets.back(), 48);
    Simulate(0.005, 0.0002, 1.0, &targets);
    EXPECT_EQ(50, targets.back());
    EXPECT_EQ(50, CRender::Count_Bananas());
}

TEST_F(RenderTest, AnExpensiveSceneSettlesWhereTheFrameRateCrosses25)
{
    // 0.01 + 0.002 n = 1/25 s at n = 15.
    std::vector<int> targets;
    Simulate(0.01, 0.002, 90.0, &targets);
    const size_t settled = targets.size() / 2;
    for (size_t i = settled; i < targets.size(); ++i)
    {
        ASSERT_GE(targets[i], 14) << "frame " << i;
        ASSERT_LE(targets[i], 16) << "frame " << i;
    }
}

TEST_F(RenderTest, PreviewWritesThreeCentredTitles)
{
    PreviewMode = true;
    glClear(GL_COLOR_BUFFER_BIT);
    CRender::Draw_Overlay();
    const double rows[] = {0.3, 0.5, 0.7};
    for (double row : rows)
    {
        const int centre = int(row * Height);
        int left, right;
        ASSERT_TRUE(White_Box(centre - 8, centre + 8, &left, &right)) << "row " << row;
        EXPECT_NEAR(Width / 2.0, (left + right) / 2.0, 4.0) << "row " << row;
    }
    EXPECT_EQ(0, White_Pixels(0, int(0.3 * Height) - 9));
    EXPECT_EQ(0, White_Pixels(int(0.7 * Height) + 9, Height));
    // "Tarnwick" and "Quillomar" differ: the lines are not the same text.
    int left1, right1, left3, right3;
    White_Box(int(0.3 * Height) - 8, int(0.3 * Height) + 8, &left1, &right1);
    White_Box(int(0.7 * Height) - 8, int(0.7 * Height) + 8, &left3, &right3);
    EXPECT_GT(right3 - left3, right1 - left1);
}

TEST_F(RenderTest, FullScreenWithoutTheSettingWritesNothing)
{
    glClear(GL_COLOR_BUFFER_BIT);
    CTimer::SampleFramerate = 60.0;
    CRender::Draw_Overlay();
    EXPECT_EQ(0, White_Pixels(0, Height));
}

TEST_F(RenderTest, FrameRateIsRoundedHalfAwayFromZero)
{
    struct Case
    {
        double SampleFramerate;
        const char *Shown;
    };
    const Case cases[] = {{59.5, "60"}, {59.49, "59"}, {0.0, "0"}, {124.5, "125"}};
    for (const Case &c : cases)
    {
        Set_Overlay_Projection();
        glClear(GL_COLOR_BUFFER_BIT);
        CTextureFont::Print(0.97, 0.055, c.Shown, true, CColor(1.0, 1.0, 1.0, 1.0));
        const std::vector<uint8_t> expected = Snapshot();
        ASSERT_GT(White_Pixels(0, Height), 10);

        Set_Overlay_Projection();
        glClear(GL_COLOR_BUFFER_BIT);
        CTimer::SampleFramerate = c.SampleFramerate;
        CRender::Draw_Framerate();
        EXPECT_TRUE(expected == Snapshot()) << c.SampleFramerate << " should read " << c.Shown;
        // Near the top right corner.
        int left, right;
        ASSERT_TRUE(White_Box(0, int(0.055 * Height) + 9, &left, &right));
        EXPECT_GE(left, int(0.97 * Width) - 5);
    }
}

TEST_F(RenderTest, OverlayLeavesTheStateTheSceneExpects)
{
    CRender::Draw();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    CRender::Draw_Scene();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(RenderDeathTest, BrokenPreconditionsEndTheProgram)
{
    EXPECT_EXIT(CRender::Resize(0, 100), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRender::Resize(100, 0), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRender::Update(-0.001), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRender::Init(nullptr), ::testing::ExitedWithCode(1), "beep");
    CRender::Update(-EPSILON / 2); // a hair below zero passes
}
