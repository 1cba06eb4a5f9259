// Pacing for hosts whose buffer swaps may not wait for the display (vsync off in the driver's
// panel, a virtual machine, a remote session, a software renderer): one frame per refresh
// period, by deadlines on the high-resolution counter. Where the driver promises that swaps
// wait, it stays out of the way until the measured frame rate shows that they do not.
#ifndef QUILLOMAR_FRAMEPACER_H
#define QUILLOMAR_FRAMEPACER_H

#include <cstdint>

class CFramePacer
{
public:
    static const int DefaultRefreshRate = 60; // hertz, where the system does not know
    static int RefreshRate;                   // hertz, > 0
    static int64_t Frequency;                 // counter ticks per second, > 0
    static int64_t PeriodCount;               // counter ticks per frame
    static bool Pacing;                       // false while swaps are trusted to wait
    static int64_t NextFrameCount;            // counter when the next frame is due; 0: at once

    // refresh_hz of 0 or 1 is the system's "hardware default": taken as 60.
    static void Init(int refresh_hz, bool swaps_wait);
    // Milliseconds, rounded up, until the next frame is due; 0: draw it now.
    static uint32_t Milliseconds_To_Wait();
    // After every frame, with the timer's last one-second sample (frames per second).
    static void Frame_Drawn(double sample_framerate);
};

#endif
