// A frame allocates no memory but a banana's birth: the program's operator new and delete, and
// its direct calls of malloc (wrapped at link time), are counted on the
// drawing thread while whole frames run on an offscreen context (timer step, update, scene and
// overlay). Memory that Mesa's C code takes for itself is not counted.
#include "render.h"

#include "host/hoststate.h"
#include "platform/gl.h"
#include "scene.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <pthread.h>

// The linker's --wrap sends the program's own calls of malloc here and the original to
// __real_malloc; operator new and delete are replaced.
extern "C" void *__real_malloc(size_t size);

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

} // namespace

extern "C" void *__wrap_malloc(size_t size)
{
    Allocations += Counts() ? 1 : 0;
    return __real_malloc(size);
}

void *operator new(size_t size)
{
    void *pointer = __wrap_malloc(size == 0 ? 1 : size);
    if (pointer == nullptr)
        throw std::bad_alloc();
    return pointer;
}

void operator delete(void *pointer) noexcept
{
    Releases += pointer != nullptr && Counts() ? 1 : 0;
    free(pointer);
}

// Every other ordinary form too: the sanitizer's own would not pair with these.
void *operator new[](size_t size)
{
    return operator new(size);
}

void *operator new(size_t size, const std::nothrow_t &) noexcept
{
    return __wrap_malloc(size == 0 ? 1 : size);
}

void *operator new[](size_t size, const std::nothrow_t &) noexcept
{
    return __wrap_malloc(size == 0 ? 1 : size);
}

void operator delete[](void *pointer) noexcept
{
    operator delete(pointer);
}

void operator delete(void *pointer, size_t) noexcept
{
    operator delete(pointer);
}

void operator delete[](void *pointer, size_t) noexcept
{
    operator delete(pointer);
}

namespace
{

class FrameAllocationTest : public CSceneTest
{
protected:
    void SetUp() override
    {
        CSceneTest::SetUp();
        CountedThread = pthread_self();
        // Until everything the scene and the overlay draw has been drawn once, the software
        // renderer is still building its code for each kind of drawing.
        for (int i = 0; i < 400 && CTimer::ElapsedTime < 16.0; ++i)
            Frame(0.04, true);
        PreviewMode = true;
        Frame(0.04, true);
        PreviewMode = false;
    }

    void TearDown() override
    {
        Counting = false;
        CSceneTest::TearDown();
    }

    // One frame with the frame rate shown; the millisecond clock moves only when asked.
    static void Frame(double seconds, bool move_clock)
    {
        Run_Frame(seconds, move_clock);
        if (!PreviewMode)
            CRender::Draw_Framerate();
        glFinish();
    }
};

TEST_F(FrameAllocationTest, SteadyFramesAllocateNothing)
{
    // 25 frames a second: exactly the threshold, so the number of bananas holds.
    CRender::TargetBananaCount = CRender::MaxBananaCount;
    for (int i = 0; i < 10 && CRender::Count_Bananas() < 50; ++i)
        Frame(0.04, true);
    ASSERT_EQ(50, CRender::Count_Bananas());
    // With the millisecond clock held, no banana is retired and so none is born.
    Allocations = Releases = 0;
    Counting = true;
    for (int i = 0; i < 100; ++i)
        Frame(0.04, false);
    PreviewMode = true;
    for (int i = 0; i < 100; ++i)
        Frame(0.04, false);
    Counting = false;
    EXPECT_EQ(0, Allocations);
    EXPECT_EQ(0, Releases);
}

TEST_F(FrameAllocationTest, OnlyABirthAllocatesAndOnlyARetirementReleases)
{
    int births = 0, retirements = 0;
    for (int i = 0; i < 1200; ++i) // 30 frames a second while bananas come and go
    {
        const int before = CRender::Count_Bananas();
        Allocations = Releases = 0;
        Counting = true;
        Frame(1.0 / 30.0, true);
        Counting = false;
        ASSERT_EQ(CRender::Count_Bananas() - before, Allocations - Releases) << "frame " << i;
        births += Allocations;
        retirements += Releases;
    }
    EXPECT_GT(births, 30); // both happened, so the counting itself was tried
    EXPECT_GT(retirements, 10);
}

} // namespace
