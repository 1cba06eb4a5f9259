// Runs the saver's renderer frame by frame on an offscreen OpenGL context, as the drawing window
// would (CTimer::Update, CRender::Update, CRender::Draw), and writes chosen frames as PNG files.
// The counter and the millisecond clock are a fake platform's, stepped exactly once per frame at
// the chosen frame rate, so a seed gives the same pictures on every run, however long the
// software renderer takes.
//
// usage: frametool [options] <output.png>
//   --size WxH        drawing window, pixels (default 1024x768)
//   --seed N          seed of the random generator (default 1)
//   --fps F           frames per second of saver time (default 60)
//   --seconds S       saver time to run (default 10)
//   --frames N,...    frames to write, counted from 1 (default: the last one)
//   --preview         the preview inside the display control panel: the three titles
//   --framerate       full screen: the frame rate top right, as ShowFramerate 1 shows it
//   --scale K         each pixel written as K x K pixels (default 1)
// With more than one frame, each "#" in the output name stands for the frame number.
//
// The fake platform keeps the settings in memory: the tool never touches the user's settings,
// and ShowFramerate stays at its initial 0. The option is read once at start-up and has no
// setter, so --framerate calls CRender::Draw_Framerate after CRender::Draw; full screen,
// CRender::Draw_Overlay has then left exactly the state in which it would have called it.
#include "banana.h"
#include "offscreenframe.h"
#include "fake_platform.h"
#include "fake_renderer.h"
#include "platform/gl.h"
#include "render.h"
#include "twutility/timer.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

// The renderer's visibility cube of CBanana::Draw, world units.
constexpr int MaxSide = 8192;        // pixels, of the window and of a written picture
constexpr double MaxSeconds = 3600.; // saver time

class COptionsLine
{
public:
    int Width = 1024;
    int Height = 768;
    uint32_t Seed = 1;
    double Fps = 60.0;
    double Seconds = 10.0;
    std::vector<long> Frames; // empty: the last frame
    bool Preview = false;
    bool Framerate = false;
    int Scale = 1;
    const char *Output = nullptr;
};

void Usage(const char *program)
{
    fprintf(stderr,
            "usage: %s [--size WxH] [--seed N] [--fps F] [--seconds S] [--frames N,...]\n"
            "       [--preview | --framerate] [--scale K] <output.png>\n"
            "With several frames, each '#' in the output name stands for the frame number.\n",
            program);
}

bool Parse_Long(const char *text, long lower, long upper, long *value)
{
    char *end = nullptr;
    errno = 0;
    const long parsed = strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < lower || parsed > upper)
        return false;
    *value = parsed;
    return true;
}

bool Parse_Double(const char *text, double lower, double upper, double *value)
{
    char *end = nullptr;
    errno = 0;
    const double parsed = strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(parsed >= lower && parsed <= upper))
        return false;
    *value = parsed;
    return true;
}

bool Parse_Size(const char *text, int *width, int *height)
{
    const char *x = strchr(text, 'x');
    if (x == nullptr || size_t(x - text) >= 16)
        return false;
    char left[16];
    memcpy(left, text, size_t(x - text));
    left[x - text] = '\0';
    long w = 0, h = 0;
    if (!Parse_Long(left, 1, MaxSide, &w) || !Parse_Long(x + 1, 1, MaxSide, &h))
        return false;
    *width = int(w);
    *height = int(h);
    return true;
}

bool Parse_Frames(const char *text, std::vector<long> *frames)
{
    std::string list(text);
    size_t start = 0;
    while (start <= list.size())
    {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        long frame = 0;
        if (!Parse_Long(list.substr(start, comma - start).c_str(), 1, 100000000L, &frame))
            return false;
        frames->push_back(frame);
        start = comma + 1;
    }
    std::sort(frames->begin(), frames->end());
    frames->erase(std::unique(frames->begin(), frames->end()), frames->end());
    return true;
}

bool Parse_Arguments(int argc, char **argv, COptionsLine *options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        const bool has_value = i + 1 < argc;
        long number = 0;
        if (option == "--preview")
            options->Preview = true;
        else if (option == "--framerate")
            options->Framerate = true;
        else if (option[0] == '-' && option.size() > 1 && !has_value)
            return false;
        else if (option == "--size")
        {
            if (!Parse_Size(argv[++i], &options->Width, &options->Height))
                return false;
        }
        else if (option == "--seed")
        {
            if (!Parse_Long(argv[++i], 0, 0xFFFFFFFFL, &number))
                return false;
            options->Seed = uint32_t(number);
        }
        else if (option == "--fps")
        {
            if (!Parse_Double(argv[++i], 1.0, 1000.0, &options->Fps))
                return false;
        }
        else if (option == "--seconds")
        {
            if (!Parse_Double(argv[++i], 0.0, MaxSeconds, &options->Seconds))
                return false;
        }
        else if (option == "--frames")
        {
            if (!Parse_Frames(argv[++i], &options->Frames))
                return false;
        }
        else if (option == "--scale")
        {
            if (!Parse_Long(argv[++i], 1, 16, &number))
                return false;
            options->Scale = int(number);
        }
        else if (option[0] == '-' && option.size() > 1)
            return false;
        else if (options->Output == nullptr)
            options->Output = argv[i];
        else
            return false;
    }
    // The preview never shows the frame rate.
    return options->Output != nullptr && !(options->Preview && options->Framerate) &&
           long(options->Width) * options->Scale <= MaxSide &&
           long(options->Height) * options->Scale <= MaxSide;
}

std::string Output_Name(const char *pattern, long frame, bool numbered)
{
    std::string name;
    for (const char *c = pattern; *c != '\0'; ++c)
    {
        if (*c == '#' && numbered)
            name += std::to_string(frame);
        else
            name += *c;
    }
    return name;
}

// frame: bottom-up RGBA rows, as OpenGL writes them.
bool Write_Png(const std::string &path, const std::vector<uint8_t> &frame, int width, int height,
               int scale)
{
    const size_t out_width = size_t(width) * size_t(scale);
    const size_t out_height = size_t(height) * size_t(scale);
    std::vector<uint8_t> picture(out_width * out_height * 3);
    for (size_t y = 0; y < out_height; ++y)
    {
        const size_t source_row = size_t(height) - 1 - y / size_t(scale);
        for (size_t x = 0; x < out_width; ++x)
        {
            const uint8_t *pixel = &frame[(source_row * size_t(width) + x / size_t(scale)) * 4];
            memcpy(&picture[(y * out_width + x) * 3], pixel, 3);
        }
    }
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(out_width);
    image.height = png_uint_32(out_height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, picture.data(), 0, nullptr) != 0;
}

} // namespace

int main(int argc, char **argv)
{
    COptionsLine options;
    if (!Parse_Arguments(argc, argv, &options))
    {
        Usage(argv[0]);
        return 2;
    }
    const long last_frame = std::lround(options.Seconds * options.Fps);
    if (options.Frames.empty())
        options.Frames.push_back(std::max(last_frame, 1L));
    if (options.Frames.back() > last_frame)
    {
        fprintf(stderr, "%s: frame %ld lies beyond the run's %ld frames\n", argv[0],
                options.Frames.back(), last_frame);
        return 2;
    }

    COffscreenFrame frame;
    if (!frame.Open(argv[0], options.Width, options.Height))
        return 1;

    Start_Fake_Renderer(options.Width, options.Height, options.Seed, options.Preview);

    const bool numbered = options.Frames.size() > 1;
    size_t next = 0;
    int status = 0;
    for (long n = 1; n <= last_frame && next < options.Frames.size(); ++n)
    {
        // From absolute frame numbers, so that no rounding accumulates.
        FakePlatform::Counter =
            std::llround(double(n) * double(FakePlatform::Frequency) / options.Fps);
        FakePlatform::Milliseconds = uint32_t(std::llround(double(n) * 1000.0 / options.Fps));
        CRender::Frame();
        if (options.Framerate)
            CRender::Draw_Framerate();
        glFinish();
        if (n != options.Frames[next])
            continue;
        ++next;
        const std::string path = Output_Name(options.Output, n, numbered);
        if (!Write_Png(path, frame.Pixels, options.Width, options.Height, options.Scale))
        {
            fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
            status = 1;
            break;
        }
        printf("%s: frame %ld at %.3f s, %d bananas (%d in view), target %d, %.1f frames/s\n",
               path.c_str(), n, CTimer::ElapsedTime, CRender::Count_Bananas(),
               CRender::Count_Visible_Bananas(), CRender::TargetBananaCount,
               CTimer::SampleFramerate);
    }

    CRender::Close();
    return status;
}
