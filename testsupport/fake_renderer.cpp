#include "fake_renderer.h"

#include "banana.h"
#include "fake_platform.h"
#include "host/hoststate.h"
#include "render.h"
#include "resolution.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"

#include <cmath>

void Start_Fake_Renderer(int width, int height, uint32_t seed, bool preview)
{
    FakePlatform::Reset();
    FakePlatform::ScreenWidth = width;
    FakePlatform::ScreenHeight = height;
    CTimer::FrameCount = CTimer::SampleFrameCount = 0;
    CTimer::SampleFramerate = CTimer::AverageFramerate = 0.0;
    CTimer::TimeInterval = CTimer::ElapsedTime = 0.0;
    CRender::TargetBananaCount = CRender::MinBananaCount;
    CRender::LastCountAdjustTime = 0;
    CBanana::DisplayListId = 0; // a new context has no lists yet
    CCamera3d::FrustumValid = false;
    PreviewMode = preview;
    Seed_Random(seed);
    CResolution::Init_Screen_Dimensions();
    CResolution::Set_Window_Dimensions(width, height);
    const int device_context = 0; // checked for null, not otherwise used
    CRender::Init(&device_context);
    CRender::Resize(width, height);
    CTimer::Init();
}

void Advance_Fake_Clocks(double seconds, bool move_milliseconds)
{
    FakePlatform::Advance_Seconds(seconds);
    if (move_milliseconds)
        FakePlatform::Milliseconds += uint32_t(std::llround(seconds * 1000.0));
}
