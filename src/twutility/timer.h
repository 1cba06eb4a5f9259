// Frame timing for the whole program: started once when the GL window is created, stepped once
// at the start of every frame. Its fields are read directly by their users.
#ifndef QUILLOMAR_TIMER_H
#define QUILLOMAR_TIMER_H

#include <cstdint>

class CTimer
{
public:
    static int64_t Frequency;        // counter ticks per second, > 0
    static int64_t StartCount;       // counter at Init
    static int64_t LastCount;        // counter at the previous Update
    static int64_t SampleStartCount; // counter where the current frame-rate sample began
    static double TimeInterval;      // seconds between the last two frames
    static double ElapsedTime;       // seconds from Init to the last Update
    static uint32_t FrameCount;      // frames since start; Init does not reset it
    static uint32_t SampleFrameCount;
    static double AverageFramerate; // frames per second over the whole run
    static double SampleFramerate;  // frames per second over the last sample of >= 1 s

    static void Init();
    static void Update();
    // After a spell without frames (nobody could see them): the next interval counts from now,
    // the run's elapsed time leaves the spell out, and a new frame-rate sample starts.
    static void Resume();
};

#endif
