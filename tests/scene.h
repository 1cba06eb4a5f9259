// An offscreen context whose pixels tests read back, and the renderer started on it with the
// fake clocks stepped by hand.
#ifndef QUILLOMAR_SCENE_H
#define QUILLOMAR_SCENE_H

#include "banana.h"
#include "fake_platform.h"
#include "fake_renderer.h"
#include "offscreenframe.h"
#include "render.h"
#include "twutility/timer.h"

#include <gtest/gtest.h>

class CFrameTest : public testing::Test
{
protected:
    static const int Width = 320; // pixels
    static const int Height = 240;
    COffscreenFrame Frame;

    void SetUp() override
    {
        ASSERT_TRUE(Frame.Open("test", Width, Height));
        FakePlatform::Reset();
    }
};

class CSceneTest : public CFrameTest
{
protected:
    void SetUp() override
    {
        CFrameTest::SetUp();
        Start_Fake_Renderer(Width, Height, 4242, false);
        FakePlatform::Milliseconds = 100000;
    }

    void TearDown() override { CRender::Close(); }

    // One whole frame as the drawing window runs it, the clocks moved on first.
    static void Run_Frame(double seconds, bool move_milliseconds = true)
    {
        Advance_Fake_Clocks(seconds, move_milliseconds);
        CRender::Frame();
    }
};

#endif
