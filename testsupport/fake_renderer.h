// The renderer on the fake platform, started as the saver's drawing window starts it; shared by
// the tests, the frame tool and the benchmarks. Needs a current OpenGL context.
#ifndef QUILLOMAR_FAKE_RENDERER_H
#define QUILLOMAR_FAKE_RENDERER_H

#include <cstdint>

// A screen and a drawing window of width x height pixels, the random generator seeded, the
// renderer initialised and sized and the timer started, with every static an earlier start in
// the same process changed back to its initial value. The fake platform is reset first; its
// clocks start at zero.
void Start_Fake_Renderer(int width, int height, uint32_t seed, bool preview);

// Both clocks moved on by the same time: the counter always, the millisecond clock when asked.
void Advance_Fake_Clocks(double seconds, bool move_milliseconds = true);

#endif
