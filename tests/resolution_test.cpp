// Screen and drawing-window sizes and their guarded getters.
#include "resolution.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace
{

class ResolutionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::Reset();
        CResolution::ScreenWidth = CResolution::ScreenHeight = 0;
        CResolution::WindowWidth = CResolution::WindowHeight = 0;
    }
};

using ResolutionDeathTest = ResolutionTest;

} // namespace

TEST_F(ResolutionTest, WindowSizeAndAspectRatio)
{
    CResolution::Set_Window_Dimensions(640, 480);
    EXPECT_EQ(640, CResolution::Get_Window_Width());
    EXPECT_EQ(480, CResolution::Get_Window_Height());
    EXPECT_DOUBLE_EQ(1.3333333333333333, CResolution::Get_Aspect_Ratio());
    CResolution::Set_Window_Dimensions(152, 112); // the preview's size
    EXPECT_DOUBLE_EQ(152.0 / 112.0, CResolution::Get_Aspect_Ratio());
}

TEST_F(ResolutionTest, ScreenSizeComesFromTheSystemUnchecked)
{
    FakePlatform::ScreenWidth = 2560;
    FakePlatform::ScreenHeight = 1440;
    CResolution::Init_Screen_Dimensions();
    EXPECT_EQ(2560, CResolution::Get_Screen_Width());
    EXPECT_EQ(1440, CResolution::Get_Screen_Height());

    FakePlatform::ScreenWidth = 0;
    CResolution::Init_Screen_Dimensions();
    EXPECT_EQ(0, CResolution::ScreenWidth);
}

TEST_F(ResolutionDeathTest, GettersBeforeTheirValueIsSetEndTheProgram)
{
    EXPECT_EXIT(CResolution::Get_Screen_Width(), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CResolution::Get_Screen_Height(), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CResolution::Get_Window_Width(), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CResolution::Get_Window_Height(), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CResolution::Get_Aspect_Ratio(), ::testing::ExitedWithCode(1), "beep");
}

TEST_F(ResolutionDeathTest, EmptyWindowSizesEndTheProgram)
{
    EXPECT_EXIT(CResolution::Set_Window_Dimensions(0, 480), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CResolution::Set_Window_Dimensions(640, 0), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CResolution::Set_Window_Dimensions(-640, 480), ::testing::ExitedWithCode(1),
                "beep");
}

TEST_F(ResolutionDeathTest, AspectRatioNeedsOnlyTheHeight)
{
    CResolution::WindowHeight = 100; // width left unset
    EXPECT_EQ(0.0, CResolution::Get_Aspect_Ratio());
}
