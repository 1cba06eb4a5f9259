// Speed figures of one frame, with the renderer running on an offscreen OpenGL context and the
// fake platform's clocks stepped by hand:
//   steady_frame_cpu   the processor's share of a steady frame with 50 bananas: the timer step,
//                      CRender::Update (count, advance, expiry, the count adjustment) and the
//                      visibility test that CBanana::Draw makes for each banana. The GL calls
//                      (camera, display lists, text) are left out: they are the frame benchmarks'.
//   banana_birth       one CBanana construction (without its heap allocation): a random stream,
//                      and the seeds at the median and at the worst of a survey of many births,
//                      the difference being the back-off loop.
//   frame              a whole frame at 1024 x 768 (update, scene, overlay, glFinish) with 10 and
//                      50 bananas, with and without the frame-rate text, and an empty frame
//                      (the two clears only); printed afterwards as multiples of the empty one.
// Scenes are steady: the renderer runs 40 s of saver time with its count held, drawing every
// frame so that bananas arrive, cross and retire as in the saver. In the timed frames the
// millisecond clock stands still, so no banana is born or retired, and the counter steps at 25
// frames a second, where the count neither rises nor falls.
//
// With --steady-frames=N the program only prepares the 50-banana scene (on a small context of
// the same shape) and runs N CPU steady frames in Run_Steady_Frames, for an instruction count
// under callgrind (scripts/bench).
#include "banana.h"
#include "fake_platform.h"
#include "fake_renderer.h"
#include "offscreenframe.h"
#include "platform/gl.h"
#include "render.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr int FrameWidth = 1024; // pixels
constexpr int FrameHeight = 768;
constexpr double FrameStep = 0.04;       // seconds: 25 frames a second holds the count
constexpr double PreparationTime = 40.0; // seconds of saver time before a scene counts as steady
constexpr int SurveyedBirths = 100000;

// The scene the benchmarks run on, kept so that every run starts from the same one.
class CScene
{
public:
    int Count = 0;                              // 0: none prepared yet
    std::vector<std::pair<int, CBanana>> Saved; // slot and banana
    CBanana *Slots[CRender::NumSlots] = {};
};

CScene Scene;

void Start_Renderer(int width, int height)
{
    Start_Fake_Renderer(width, height, 1, false);
    FakePlatform::Milliseconds = 100000;
    // The births of the survey need a view, as in the saver after its first frame.
    CRender::Get_Camera().Apply();
}

void Prepare_Scene(int count)
{
    for (CBanana *&slot : CRender::Bananas)
    {
        delete slot;
        slot = nullptr;
    }
    // The same seed for the same count: the same scene whenever it is prepared again.
    Seed_Random(uint32_t(count));
    CRender::TargetBananaCount = count;
    const long frames = std::lround(PreparationTime / FrameStep);
    for (long i = 0; i < frames || CRender::Count_Bananas() < count; ++i)
    {
        Advance_Fake_Clocks(FrameStep, true);
        CRender::Frame();
    }
    glFinish();
    Scene.Count = count;
    Scene.Saved.clear();
    for (int slot = 0; slot < CRender::NumSlots; ++slot)
    {
        Scene.Slots[slot] = CRender::Bananas[slot];
        if (CRender::Bananas[slot] != nullptr)
            Scene.Saved.emplace_back(slot, *CRender::Bananas[slot]);
    }
}

// The scene of `count` bananas as it was prepared, so that drift does not accumulate over runs.
void Use_Scene(int count)
{
    if (Scene.Count != count)
        Prepare_Scene(count);
    for (const auto &saved : Scene.Saved)
        *CRender::Bananas[saved.first] = saved.second;
}

bool Scene_Unchanged()
{
    return std::equal(Scene.Slots, Scene.Slots + CRender::NumSlots, CRender::Bananas);
}

__attribute__((noinline)) void Steady_Frame_Cpu()
{
    Advance_Fake_Clocks(FrameStep, false);
    CTimer::Update();
    CRender::Update(CTimer::TimeInterval);
    benchmark::DoNotOptimize(CRender::Count_Visible_Bananas());
}

__attribute__((noinline)) void Run_Steady_Frames(long frames)
{
    for (long i = 0; i < frames; ++i)
        Steady_Frame_Cpu();
}

void Finish_Scene_Run(benchmark::State &state, int in_view)
{
    if (!Scene_Unchanged())
        state.SkipWithError("a banana was born or retired");
    state.counters["bananas"] = CRender::Count_Bananas();
    state.counters["in_view"] = in_view;
}

void BM_Steady_Frame_Cpu(benchmark::State &state)
{
    Use_Scene(50);
    const int in_view = CRender::Count_Visible_Bananas();
    for (auto _ : state)
        Steady_Frame_Cpu();
    Finish_Scene_Run(state, in_view);
}

void BM_Frame(benchmark::State &state, int count, bool text)
{
    if (count == 0)
    {
        for (auto _ : state)
        {
            glClear(GL_DEPTH_BUFFER_BIT);
            glClear(GL_COLOR_BUFFER_BIT);
            glFinish();
        }
        return;
    }
    Use_Scene(count);
    const int in_view = CRender::Count_Visible_Bananas();
    for (auto _ : state)
    {
        Advance_Fake_Clocks(FrameStep, false);
        CRender::Frame();
        // As CRender::Draw_Overlay does when ShowFramerate is 1.
        if (text)
            CRender::Draw_Framerate();
        glFinish();
    }
    Finish_Scene_Run(state, in_view);
}

void BM_Birth(benchmark::State &state, long seed)
{
    if (seed < 0)
        Seed_Random(7);
    for (auto _ : state)
    {
        if (seed >= 0)
            Seed_Random(uint32_t(seed));
        CBanana banana;
        benchmark::DoNotOptimize(banana);
    }
}

// One birth per seed, each timed alone (the best of three), for the spread of birth times and
// the seed of the median one. The worst birth is the one with the most back-off steps (the loop
// is nearly all of a slow birth's cost, and counting steps does not depend on the machine's
// load): the distance the banana was moved back from its birth place (the generator's first
// draws) in steps of a tenth of its velocity.
class CBirthSurvey
{
public:
    long MedianSeed = 0;
    long WorstSeed = 0;

    void Run()
    {
        std::vector<std::pair<double, long>> times; // nanoseconds, seed
        times.reserve(SurveyedBirths);
        long most_steps = -1, without_steps = 0;
        for (long seed = 1; seed <= SurveyedBirths; ++seed)
        {
            double best = 1e30;
            for (int attempt = 0; attempt < 3; ++attempt)
            {
                Seed_Random(uint32_t(seed));
                const auto start = std::chrono::steady_clock::now();
                CBanana banana;
                benchmark::DoNotOptimize(banana);
                const auto end = std::chrono::steady_clock::now();
                best =
                    std::min(best, std::chrono::duration<double, std::nano>(end - start).count());
            }
            times.emplace_back(best, seed);
            const long steps = Back_Off_Steps(seed);
            without_steps += steps == 0 ? 1 : 0;
            if (steps > most_steps)
            {
                most_steps = steps;
                WorstSeed = seed;
            }
        }
        std::sort(times.begin(), times.end());
        MedianSeed = times[times.size() / 2].second;
        printf("Banana births surveyed: %d seeds, each timed alone (best of 3, clock reads "
               "included)\n",
               SurveyedBirths);
        printf("  median %.0f ns (seed %ld, %ld back-off steps)\n", times[times.size() / 2].first,
               MedianSeed, Back_Off_Steps(MedianSeed));
        printf("  90th percentile %.0f ns, 99th %.0f ns, 99.9th %.0f ns, slowest %.0f ns\n",
               times[times.size() * 9 / 10].first, times[times.size() * 99 / 100].first,
               times[times.size() * 999 / 1000].first, times.back().first);
        printf("  most back-off steps: %ld (seed %ld); born out of view, no back-off: %.1f %%\n\n",
               most_steps, WorstSeed, 100.0 * double(without_steps) / SurveyedBirths);
    }

    static long Back_Off_Steps(long seed)
    {
        Seed_Random(uint32_t(seed));
        const double x = Random_Range(-15.0, 15.0);
        const double y = Random_Range(-15.0, 15.0);
        Seed_Random(uint32_t(seed));
        const CBanana banana;
        const double moved = std::hypot(banana.Position.x - x, banana.Position.y - y);
        const double step = 0.1 * std::hypot(banana.Velocity.x, banana.Velocity.y);
        return std::lround(moved / step);
    }
};

double Minimum(const std::vector<double> &values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// Plain text (the colour flag binds only the library's own reporter); keeps the median and the
// minimum of every repeated benchmark, to print the frames against the empty one. On a busy
// machine other work only adds time, so the minimum is the steadier figure.
class CRatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> Medians; // by name, in the benchmark's time unit
    std::map<std::string, double> Minima;
    std::vector<std::string> Order; // names in the order they ran

    CRatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
        {
            if (run.run_type != Run::RT_Aggregate || run.error_occurred)
                continue;
            const std::string &name = run.run_name.function_name;
            if (run.aggregate_name == "median")
            {
                Medians[name] = run.GetAdjustedRealTime();
                Order.push_back(name);
            }
            else if (run.aggregate_name == "min")
                Minima[name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Print_Ratios() const
    {
        const char empty[] = "frame/empty";
        if (Medians.count(empty) == 0 || Minima.count(empty) == 0 || Minima.at(empty) <= 0.0)
            return;
        printf("\nWhole frames at %dx%d as multiples of the empty frame (clear only) of the same "
               "run:\n",
               FrameWidth, FrameHeight);
        printf("  %-24s %10s %8s %10s %8s\n", "", "median", "", "minimum", "");
        for (const std::string &name : Order)
            if (name.compare(0, 6, "frame/") == 0 && Minima.count(name) != 0)
                printf("  %-24s %7.0f us %6.2f x %7.0f us %6.2f x\n", name.c_str(),
                       Medians.at(name), Medians.at(name) / Medians.at(empty), Minima.at(name),
                       Minima.at(name) / Minima.at(empty));
    }
};

// Removes --steady-frames=N from the command line; 0 when it is absent.
long Take_Steady_Frames(int *argc, char **argv)
{
    const char prefix[] = "--steady-frames=";
    long frames = 0;
    int kept = 1;
    for (int i = 1; i < *argc; ++i)
    {
        if (strncmp(argv[i], prefix, sizeof(prefix) - 1) == 0)
            frames = strtol(argv[i] + sizeof(prefix) - 1, nullptr, 10);
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
    return frames;
}

} // namespace

int main(int argc, char **argv)
{
    const long steady_frames = Take_Steady_Frames(&argc, argv);
    if (steady_frames > 0)
    {
        // Same shape as 1024 x 768, so the same view and the same scene, at little drawing cost.
        COffscreenFrame frame;
        if (!frame.Open("frame_benchmark", 64, 48))
            return 1;
        Start_Renderer(64, 48);
        Use_Scene(50);
        const int in_view = CRender::Count_Visible_Bananas();
        Run_Steady_Frames(steady_frames);
        printf("%ld steady frames, %d bananas, %d in view at the start, %d at the end%s\n",
               steady_frames, CRender::Count_Bananas(), in_view, CRender::Count_Visible_Bananas(),
               Scene_Unchanged() ? "" : " (A BANANA WAS BORN OR RETIRED)");
        return Scene_Unchanged() ? 0 : 1;
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    COffscreenFrame frame;
    if (!frame.Open("frame_benchmark", FrameWidth, FrameHeight))
        return 1;
    Start_Renderer(FrameWidth, FrameHeight);

    CBirthSurvey survey;
    survey.Run();

    benchmark::RegisterBenchmark("steady_frame_cpu/50_bananas", BM_Steady_Frame_Cpu)
        ->Iterations(250)
        ->Repetitions(40)
        ->ComputeStatistics("min", Minimum)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kNanosecond);
    const std::pair<const char *, long> births[] = {
        {"banana_birth/random_stream", -1},
        {"banana_birth/median_seed", survey.MedianSeed},
        {"banana_birth/most_back_off_seed", survey.WorstSeed},
    };
    for (const auto &birth : births)
        benchmark::RegisterBenchmark(birth.first, BM_Birth, birth.second)
            ->Repetitions(5)
            ->ComputeStatistics("min", Minimum)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kNanosecond);
    const std::pair<int, bool> frames[] = {
        {0, false}, {10, false}, {10, true}, {50, false}, {50, true}};
    for (const auto &frame : frames)
    {
        std::string name =
            frame.first == 0 ? "frame/empty" : "frame/" + std::to_string(frame.first) + "_bananas";
        if (frame.second)
            name += "_text";
        benchmark::RegisterBenchmark(name.c_str(), BM_Frame, frame.first, frame.second)
            ->Iterations(50)
            ->Repetitions(15)
            ->ComputeStatistics("min", Minimum)
            ->ReportAggregatesOnly(true)
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
    }

    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Print_Ratios();
    benchmark::Shutdown();
    CRender::Close();
    return 0;
}
