#include "timer.h"

#include "platform/platform.h"
#include "twutility.h"

static const char SourceName[] = "twutility/timer";

int64_t CTimer::Frequency = 0;
int64_t CTimer::StartCount = 0;
int64_t CTimer::LastCount = 0;
int64_t CTimer::SampleStartCount = 0;
double CTimer::TimeInterval = 0.0;
double CTimer::ElapsedTime = 0.0;
uint32_t CTimer::FrameCount = 0;
uint32_t CTimer::SampleFrameCount = 0;
double CTimer::AverageFramerate = 0.0;
double CTimer::SampleFramerate = 0.0;

void CTimer::Init()
{
    Log_Printf("CTimer::Init\n");
    const bool qpf_result = Platform::Read_Counter_Frequency(&Frequency);
    TW_ASSERT(qpf_result > 0);
    TW_ASSERT(Frequency > 0);
    const bool qpc_result = Platform::Read_Counter(&StartCount);
    TW_ASSERT(qpc_result > 0);
    LastCount = StartCount;
    SampleStartCount = StartCount;
}

void CTimer::Update()
{
    ++FrameCount;
    ++SampleFrameCount;
    int64_t count = 0;
    const bool qpc_result = Platform::Read_Counter(&count);
    TW_ASSERT(qpc_result > 0);
    const double frequency = double(Frequency);
    TimeInterval = double(count - LastCount) / frequency;
    ElapsedTime = double(count - StartCount) / frequency;
    const double sample_time = double(count - SampleStartCount) / frequency;
    LastCount = count;
    if (ElapsedTime > 0.0)
        AverageFramerate = FrameCount / ElapsedTime;
    if (sample_time >= 1.0)
    {
        SampleFramerate = SampleFrameCount / sample_time;
        SampleFrameCount = 0;
        SampleStartCount = count;
    }
}

void CTimer::Resume()
{
    Log_Printf("CTimer::Resume\n");
    int64_t count = 0;
    const bool qpc_result = Platform::Read_Counter(&count);
    TW_ASSERT(qpc_result > 0);
    StartCount += count - LastCount;
    LastCount = count;
    SampleStartCount = count;
    SampleFrameCount = 0;
}
