// The renderer set up on an offscreen context as the drawing window sets it up, with every
// static it keeps put back to a fresh start and the fake clocks stepped by hand. Shared by the
// renderer's tests.
#ifndef QUILLOMAR_RENDER_SCENE_H
#define QUILLOMAR_RENDER_SCENE_H

#include "banana.h"
#include "camera3d.h"
#include "fakes/fake_platform.h"
#include "host/hoststate.h"
#include "render.h"
#include "resolution.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"

#include <cmath>
#include <cstdint>

namespace RenderScene
{

// Fresh timer, banana count and camera; the millisecond clock at start_milliseconds; then the
// renderer's Init and Resize for a full-screen window of width x height, and the timer started.
// Needs the offscreen context current.
inline void Start(int width, int height, unsigned seed, uint32_t start_milliseconds = 100000)
{
    FakePlatform::Reset();
    FakePlatform::Milliseconds = start_milliseconds;
    CTimer::Frequency = CTimer::StartCount = CTimer::LastCount = CTimer::SampleStartCount = 0;
    CTimer::TimeInterval = CTimer::ElapsedTime = 0.0;
    CTimer::FrameCount = CTimer::SampleFrameCount = 0;
    CTimer::AverageFramerate = CTimer::SampleFramerate = 0.0;
    CRender::TargetBananaCount = CRender::MinBananaCount;
    CRender::LastCountAdjustTime = 0;
    CBanana::DisplayListId = 0; // a new context has no lists yet
    CCamera3d::FrustumValid = false;
    PreviewMode = false;
    Seed_Random(seed);
    CResolution::Set_Window_Dimensions(width, height);
    const int device_context = 0;
    CRender::Init(&device_context);
    CRender::Resize(width, height);
    CTimer::Init();
}

// Both clocks moved on by the same time: the counter always, the millisecond clock when asked.
inline void Advance(double seconds, bool move_milliseconds = true)
{
    FakePlatform::Advance_Seconds(seconds);
    if (move_milliseconds)
        FakePlatform::Milliseconds += uint32_t(std::llround(seconds * 1000.0));
}

// The timer stepped and the scene updated, as at the start of a frame.
inline void Update()
{
    CTimer::Update();
    CRender::Update(CTimer::TimeInterval);
}

// One whole frame as the drawing window runs it, the clocks moved on first.
inline void Frame(double seconds, bool move_milliseconds = true)
{
    Advance(seconds, move_milliseconds);
    Update();
    CRender::Draw();
}

} // namespace RenderScene

#endif
