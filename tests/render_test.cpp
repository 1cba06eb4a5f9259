#include "render.h"

#include "platform/gl.h"
#include "resolution.h"
#include "scene.h"

namespace
{

using RenderTest = CSceneTest;
const int Least = CRender::MinBananaCount; // a copy: the checks take references

TEST_F(RenderTest, TheFirstTwoFramesOnlyMeasureTheThirdBringsTheLeastCount)
{
    Run_Frame(0.04);
    Run_Frame(0.04);
    EXPECT_EQ(0, CRender::Count_Bananas());
    Run_Frame(0.04);
    EXPECT_EQ(Least, CRender::Count_Bananas());
    EXPECT_EQ(0, CRender::Count_Visible_Bananas()) << "born out of sight";
    CRender::Bananas[0]->Position = CVector3d(0.0, 0.0, 5000.0);
    EXPECT_EQ(1, CRender::Count_Visible_Bananas());
}

TEST_F(RenderTest, ExpiryEmptiesASlotThatALaterEmptySlotMakesUpForInTheSamePass)
{
    for (int i = 0; i < 3; ++i)
        Run_Frame(0.04);
    CRender::Bananas[0]->LastVisibleTime = FakePlatform::Milliseconds - 20000;
    CRender::Update(0.04);
    EXPECT_EQ(nullptr, CRender::Bananas[0]);
    EXPECT_NE(nullptr, CRender::Bananas[CRender::MinBananaCount]);
    EXPECT_EQ(Least, CRender::Count_Bananas());
}

TEST_F(RenderTest, ALowerTargetRetiresNothingAndCloseEmptiesEverySlot)
{
    for (int i = 0; i < 3; ++i)
        Run_Frame(0.04);
    CRender::TargetBananaCount = 30;
    Run_Frame(0.04);
    CRender::TargetBananaCount = CRender::MinBananaCount;
    Run_Frame(0.04);
    EXPECT_EQ(30, CRender::Count_Bananas());
    CRender::Close();
    EXPECT_EQ(0, CRender::Count_Bananas());
}

struct CAdjustment
{
    double SampleFramerate; // frames per second
    double TimeInterval;    // seconds
    int Target;
    uint32_t Wait; // milliseconds since the last change
    int Expected;
    bool Restarts; // the wait begins again, even at a limit
};

class AdjustTest : public CSceneTest, public testing::WithParamInterface<CAdjustment>
{
};

TEST_P(AdjustTest, TheTargetStepsTowardTwentyFiveFramesASecondAtMostEvery500Ms)
{
    const CAdjustment &row = GetParam();
    CTimer::SampleFramerate = row.SampleFramerate;
    CTimer::TimeInterval = row.TimeInterval;
    CRender::TargetBananaCount = row.Target;
    CRender::LastCountAdjustTime = 0xFFFFFF00u; // the wait crosses the clock's wrap
    FakePlatform::Milliseconds = 0xFFFFFF00u + row.Wait;
    CRender::Adjust_Banana_Count();
    EXPECT_EQ(row.Expected, CRender::TargetBananaCount);
    EXPECT_EQ(row.Restarts ? FakePlatform::Milliseconds : 0xFFFFFF00u,
              CRender::LastCountAdjustTime);
}

INSTANTIATE_TEST_SUITE_P(Table, AdjustTest,
                         testing::Values(CAdjustment{30.0, 0.03, 20, 500, 21, true},
                                         CAdjustment{30.0, 0.03, 20, 499, 20, false},
                                         CAdjustment{30.0, 0.03, 50, 600, 50, true},
                                         CAdjustment{30.0, 0.04, 20, 500, 20, false},
                                         CAdjustment{25.0, 0.03, 20, 500, 20, false},
                                         CAdjustment{20.0, 0.05, 20, 500, 19, true},
                                         CAdjustment{20.0, 0.05, 10, 500, 10, true},
                                         CAdjustment{25.0, 0.05, 20, 500, 20, false},
                                         CAdjustment{20.0, 0.04, 20, 500, 20, false}));

struct CCorner
{
    int Width;   // pixels
    double Rate; // frames per second
    bool Moved;  // the text starts left of where it starts when it fits
    int Left;    // the primary monitor's columns of the window, [Left, End); End 0: all
    int End;
};

using FramerateTest = testing::TestWithParam<CCorner>;

TEST_P(FramerateTest, EveryDigitShowsInTheTopRightCorner)
{
    const CCorner &row = GetParam();
    COffscreenFrame frame;
    ASSERT_TRUE(frame.Open("test", row.Width, 200));
    Start_Fake_Renderer(row.Width, 200, 4242, false);
    CTimer::SampleFramerate = row.Rate;
    const int end = row.End > 0 ? row.End : row.Width;
    CResolution::Set_Primary_Area(row.Left, 0, end - row.Left, row.End > 0 ? 200 : 0);
    glClear(GL_COLOR_BUFFER_BIT);
    CRender::Draw_Framerate();
    int left = row.Width, right = -1; // of the white pixels in the top rows
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < row.Width; ++x)
            if (frame.Pixel(x, y)[0] > 200)
            {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    const int digits = int(std::to_string(int(row.Rate)).size());
    EXPECT_GE(right - left, (digits - 1) * CRender::FontSpacing + 3);
    EXPECT_LT(right, end - 1) << "cut at the edge";
    if (row.Moved)
        EXPECT_GE(right, end - CRender::FontSpacing) << "moved further than needed";
    else
        EXPECT_GE(left, row.Left + int(0.97 * (end - row.Left))) << "moved";
    CResolution::Set_Primary_Area(0, 0, 0, 0);
    CRender::Close();
}

INSTANTIATE_TEST_SUITE_P(
    Table, FramerateTest,
    testing::Values(CCorner{640, 888, true, 0, 0}, CCorner{640, 8888, true, 0, 0},
                    CCorner{1024, 888, false, 0, 0}, CCorner{1024, 8888, true, 0, 0},
                    CCorner{1824, 888, false, 0, 1024}, CCorner{1824, 888, false, 800, 1824},
                    CCorner{1824, 8888, true, 0, 1024}));

} // namespace
