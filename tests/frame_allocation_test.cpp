// A frame allocates no memory but a banana's birth: the program's operator new and delete, and
// its direct calls of malloc, calloc and realloc (wrapped at link time), are counted on the
// drawing thread while whole frames run on an offscreen context (timer step, update, scene and
// overlay). Memory that Mesa's C code takes for itself is not counted.
#include "render.h"

#include "banana.h"
#include "fakes/fake_platform.h"
#include "gl_offscreen.h"
#include "render_scene.h"
#include "host/hoststate.h"
#include "platform/gl.h"
#include "resolution.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <pthread.h>

// The linker's --wrap sends the program's own calls of these here (below) and their originals
// to __real_.
extern "C" void *__real_malloc(size_t size);
extern "C" void *__real_calloc(size_t count, size_t size);
extern "C" void *__real_realloc(void *pointer, size_t size);

namespace
{

bool Counting = false;
pthread_t CountedThread;
int Allocations = 0;
int Releases = 0;

bool Counts()
{
    return Counting && pthread_equal(pthread_self(), CountedThread);
}

void *Allocate(size_t size)
{
    if (Counts())
        ++Allocations;
    return __real_malloc(size == 0 ? 1 : size);
}

void Release(void *pointer)
{
    if (pointer != nullptr && Counts())
        ++Releases;
    free(pointer);
}

} // namespace

// Replacements of every ordinary form; the aligned forms are not used by the program.
void *operator new(size_t size)
{
    void *pointer = Allocate(size);
    if (pointer == nullptr)
        throw std::bad_alloc();
    return pointer;
}
void *operator new[](size_t size)
{
    return operator new(size);
}
void *operator new(size_t size, const std::nothrow_t &) noexcept
{
    return Allocate(size);
}
void *operator new[](size_t size, const std::nothrow_t &) noexcept
{
    return Allocate(size);
}
void operator delete(void *pointer) noexcept
{
    Release(pointer);
}
void operator delete[](void *pointer) noexcept
{
    Release(pointer);
}
void operator delete(void *pointer, size_t) noexcept
{
    Release(pointer);
}
void operator delete[](void *pointer, size_t) noexcept
{
    Release(pointer);
}
void operator delete(void *pointer, const std::nothrow_t &) noexcept
{
    Release(pointer);
}
void operator delete[](void *pointer, const std::nothrow_t &) noexcept
{
    Release(pointer);
}

extern "C" void *__wrap_malloc(size_t size)
{
    if (Counts())
        ++Allocations;
    return __real_malloc(size);
}
extern "C" void *__wrap_calloc(size_t count, size_t size)
{
    if (Counts())
        ++Allocations;
    return __real_calloc(count, size);
}
extern "C" void *__wrap_realloc(void *pointer, size_t size)
{
    if (Counts())
        ++Allocations;
    return __real_realloc(pointer, size);
}

namespace
{

const int Width = 320;
const int Height = 240;

class FrameAllocationTest : public ::testing::Test
{
protected:
    COffscreenContext Context{Width, Height};

    void SetUp() override
    {
        ASSERT_TRUE(Context.Is_Valid());
        RenderScene::Start(Width, Height, 2024);
        CountedThread = pthread_self();
    }

    void TearDown() override
    {
        Counting = false;
        CRender::Close();
    }

    // One frame as the drawing window runs it; the millisecond clock moves only when asked.
    static void Frame(double seconds, bool move_clock)
    {
        RenderScene::Frame(seconds, move_clock);
        if (!PreviewMode)
            CRender::Draw_Framerate();
        glFinish();
    }

    // Runs frames until everything the scene and the overlay draw has been drawn once, so
    // that the software renderer has built its code for each kind of drawing.
    static void Warm_Up()
    {
        for (int i = 0; i < 400 && CTimer::ElapsedTime < 16.0; ++i)
            Frame(0.04, true);
        PreviewMode = true;
        Frame(0.04, true);
        PreviewMode = false;
        Frame(0.04, true);
    }
};

} // namespace

TEST_F(FrameAllocationTest, SteadyFramesAllocateNothing)
{
    // 25 frames a second: exactly the threshold, so the number of bananas holds.
    CRender::TargetBananaCount = CRender::MaxBananaCount;
    Warm_Up();
    for (int i = 0; i < 10 && CRender::Count_Bananas() < 50; ++i)
        Frame(0.04, true);
    ASSERT_EQ(50, CRender::Count_Bananas());
    int in_view = 0;
    for (const CBanana *banana : CRender::Bananas)
        in_view += CRender::Get_Camera().Is_Cube_Outside(banana->Position, 1.0) ? 0 : 1;
    ASSERT_GT(in_view, 5) << "a steady frame draws bananas";

    // With the millisecond clock held, no banana is retired and so none is born.
    Allocations = Releases = 0;
    Counting = true;
    for (int i = 0; i < 100; ++i)
        Frame(0.04, false);
    PreviewMode = true;
    for (int i = 0; i < 100; ++i)
        Frame(0.04, false);
    Counting = false;
    EXPECT_EQ(50, CRender::Count_Bananas());
    EXPECT_EQ(0, Allocations);
    EXPECT_EQ(0, Releases);
}

TEST_F(FrameAllocationTest, OnlyABirthAllocatesAndOnlyARetirementReleases)
{
    Warm_Up();
    int births = 0, retirements = 0, frames_with_birth = 0;
    // 30 frames a second: the count climbs toward 50 while bananas come and go.
    for (int i = 0; i < 1200; ++i)
    {
        const CBanana *before[CRender::NumSlots];
        for (int slot = 0; slot < CRender::NumSlots; ++slot)
            before[slot] = CRender::Bananas[slot];
        Allocations = Releases = 0;
        Counting = true;
        Frame(1.0 / 30.0, true);
        Counting = false;
        int born = 0, retired = 0;
        for (int slot = 0; slot < CRender::NumSlots; ++slot)
        {
            born += before[slot] == nullptr && CRender::Bananas[slot] != nullptr ? 1 : 0;
            retired += before[slot] != nullptr && CRender::Bananas[slot] == nullptr ? 1 : 0;
        }
        ASSERT_EQ(born, Allocations) << "frame " << i;
        ASSERT_EQ(retired, Releases) << "frame " << i;
        births += born;
        retirements += retired;
        frames_with_birth += born > 0 ? 1 : 0;
    }
    // The run saw both, so the counting itself was tried.
    EXPECT_GT(births, 30);
    EXPECT_GT(retirements, 10);
    EXPECT_GT(frames_with_birth, 10);
}
