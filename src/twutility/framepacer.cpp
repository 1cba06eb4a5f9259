#include "framepacer.h"

#include "platform/platform.h"
#include "twutility.h"

static const char SourceName[] = "twutility/framepacer";

// A rate this far above the refresh rate cannot come from swaps that wait for it.
static const double UnpacedFactor = 1.25;

int CFramePacer::RefreshRate = CFramePacer::DefaultRefreshRate;
int64_t CFramePacer::Frequency = 0;
int64_t CFramePacer::PeriodCount = 0;
bool CFramePacer::Pacing = false;
int64_t CFramePacer::NextFrameCount = 0;

static int64_t Counter_Now()
{
    int64_t now = 0;
    const bool read = Platform::Read_Counter(&now);
    TW_ASSERT(read);
    return now;
}

void CFramePacer::Init(int refresh_hz, bool swaps_wait)
{
    Log_Printf("CFramePacer::Init\n");
    const bool read = Platform::Read_Counter_Frequency(&Frequency);
    TW_ASSERT(read && Frequency > 0);
    RefreshRate = refresh_hz > 1 ? refresh_hz : DefaultRefreshRate;
    PeriodCount = Frequency / RefreshRate;
    Pacing = !swaps_wait;
    NextFrameCount = 0;
    Log_Printf("  %d Hz, %s\n", RefreshRate, Pacing ? "paced" : "swaps wait");
}

uint32_t CFramePacer::Milliseconds_To_Wait()
{
    if (!Pacing || NextFrameCount == 0)
        return 0;
    const int64_t left = NextFrameCount - Counter_Now();
    if (left <= 0)
        return 0;
    return uint32_t((left * 1000 + Frequency - 1) / Frequency);
}

void CFramePacer::Frame_Drawn(double sample_framerate)
{
    if (!Pacing && sample_framerate > UnpacedFactor * RefreshRate)
    {
        Log_Printf("WARNING: %.0f frames a second at %d Hz: swaps do not wait, frames paced\n",
                   sample_framerate, RefreshRate);
        Pacing = true;
    }
    if (!Pacing)
        return;
    const int64_t now = Counter_Now();
    // From the deadline, not from now, so that late wake-ups do not slow the rate; but after a
    // frame that ran past the next deadline the count starts again one period on, rather than
    // drawing the next frame at once to catch up (two frames a moment apart are a hitch).
    const int64_t next = NextFrameCount + PeriodCount;
    NextFrameCount = NextFrameCount != 0 && next > now ? next : now + PeriodCount;
}
