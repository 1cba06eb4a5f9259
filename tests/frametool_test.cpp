// The frame tool run as a person runs it: the pictures it writes have the asked size and show
// what the saver would (bananas, the frame rate, the preview's titles), the same seed gives the
// same picture, and a bad command line writes nothing.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

class CPicture
{
public:
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgb; // top-down rows

    const uint8_t *Pixel(int x, int y) const { return &Rgb[(size_t(y) * Width + x) * 3]; }

    // Pixels in the rectangle [left, right) x [top, bottom) that pass the test.
    template <typename Test>
    int Count(int left, int top, int right, int bottom, Test test) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += test(Pixel(x, y)) ? 1 : 0;
        return count;
    }
};

bool Is_White(const uint8_t *p)
{
    return p[0] > 200 && p[1] > 200 && p[2] > 200;
}

// The bananas' body: strong red and green, little blue.
bool Is_Yellow(const uint8_t *p)
{
    return p[0] > 120 && p[1] > 120 && p[2] < 60;
}

bool Read_Png(const std::string &path, CPicture *picture)
{
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    picture->Width = int(image.width);
    picture->Height = int(image.height);
    picture->Rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture->Rgb.data(), 0, nullptr) != 0;
}

std::vector<uint8_t> Read_Bytes(const std::string &path)
{
    std::vector<uint8_t> bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    uint8_t buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    fclose(file);
    return bytes;
}

bool Exists(const std::string &path)
{
    return access(path.c_str(), F_OK) == 0;
}

class FrameToolTest : public ::testing::Test
{
protected:
    char Directory[64] = {};

    void SetUp() override
    {
        snprintf(Directory, sizeof(Directory), "/tmp/quillomar-frametool-XXXXXX");
        ASSERT_NE(nullptr, mkdtemp(Directory));
    }

    void TearDown() override
    {
        const std::string command = std::string("rm -rf '") + Directory + "'";
        EXPECT_EQ(0, system(command.c_str()));
    }

    std::string Path(const char *name) const { return std::string(Directory) + "/" + name; }

    // The tool's exit status, or -1 when it did not exit normally.
    static int Run(const std::vector<std::string> &arguments)
    {
        std::vector<char *> argv;
        std::string program = FRAMETOOL;
        argv.push_back(&program[0]);
        std::vector<std::string> copies = arguments;
        for (std::string &argument : copies)
            argv.push_back(&argument[0]);
        argv.push_back(nullptr);
        const pid_t child = fork();
        if (child == 0)
        {
            execv(FRAMETOOL, argv.data());
            _exit(127);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }
};

} // namespace

TEST_F(FrameToolTest, FullScreenShowsBananasAndTheFrameRateTopRight)
{
    const std::string output = Path("full.png");
    ASSERT_EQ(0, Run({"--size", "320x240", "--seed", "3", "--fps", "30", "--seconds", "12",
                      "--framerate", output}));
    CPicture picture;
    ASSERT_TRUE(Read_Png(output, &picture));
    EXPECT_EQ(320, picture.Width);
    EXPECT_EQ(240, picture.Height);
    EXPECT_GT(picture.Count(0, 0, 320, 240, Is_Yellow), 20);
    // "30" from 97 % of the width, on a line 5.5 % of the height below the top edge.
    EXPECT_GT(picture.Count(300, 5, 320, 22, Is_White), 10);
}

TEST_F(FrameToolTest, WithoutTheFrameRateTheCornerStaysDark)
{
    const std::string output = Path("plain.png");
    ASSERT_EQ(0,
              Run({"--size", "320x240", "--seed", "3", "--fps", "30", "--seconds", "12", output}));
    CPicture picture;
    ASSERT_TRUE(Read_Png(output, &picture));
    EXPECT_EQ(0, picture.Count(300, 5, 320, 22, Is_White));
}

TEST_F(FrameToolTest, PreviewIsEnlargedWithItsTitles)
{
    const std::string output = Path("preview.png");
    ASSERT_EQ(0, Run({"--preview", "--size", "152x112", "--scale", "3", "--seconds", "1", output}));
    CPicture picture;
    ASSERT_TRUE(Read_Png(output, &picture));
    EXPECT_EQ(456, picture.Width);
    EXPECT_EQ(336, picture.Height);
    // Three title lines centred at 30, 50 and 70 % of the height; nothing white between them.
    for (double row : {0.3, 0.5, 0.7})
    {
        const int centre = int(row * 336);
        EXPECT_GT(picture.Count(0, centre - 12, 456, centre + 12, Is_White), 100) << row;
    }
    EXPECT_EQ(0, picture.Count(0, 0, 456, int(0.3 * 336) - 30, Is_White));
    // Whole pixels enlarged: every 3 x 3 block is one colour.
    int mixed_blocks = 0;
    for (int y = 0; y < 336; y += 3)
        for (int x = 0; x < 456; x += 3)
            for (int i = 0; i < 9; ++i)
                if (memcmp(picture.Pixel(x, y), picture.Pixel(x + i % 3, y + i / 3), 3) != 0)
                {
                    ++mixed_blocks;
                    break;
                }
    EXPECT_EQ(0, mixed_blocks);
}

TEST_F(FrameToolTest, TheSameSeedGivesTheSamePictureAnotherSeedAnother)
{
    const std::vector<std::string> common = {"--size", "200x150", "--fps", "20", "--seconds", "15"};
    std::vector<std::string> first = common, again = common, other = common;
    first.insert(first.end(), {"--seed", "11", Path("a.png")});
    again.insert(again.end(), {"--seed", "11", Path("b.png")});
    other.insert(other.end(), {"--seed", "12", Path("c.png")});
    ASSERT_EQ(0, Run(first));
    ASSERT_EQ(0, Run(again));
    ASSERT_EQ(0, Run(other));
    const std::vector<uint8_t> a = Read_Bytes(Path("a.png"));
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == Read_Bytes(Path("b.png")));
    EXPECT_FALSE(a == Read_Bytes(Path("c.png")));
}

TEST_F(FrameToolTest, ChosenFramesAreWrittenUnderTheirNumbers)
{
    ASSERT_EQ(0,
              Run({"--size", "64x48", "--seconds", "1", "--frames", "5,2", Path("frame-#.png")}));
    CPicture picture;
    EXPECT_TRUE(Read_Png(Path("frame-2.png"), &picture));
    EXPECT_TRUE(Read_Png(Path("frame-5.png"), &picture));
    EXPECT_EQ(64, picture.Width);
    EXPECT_FALSE(Exists(Path("frame-1.png")));
    EXPECT_FALSE(Exists(Path("frame-60.png")));
}

TEST_F(FrameToolTest, ABadCommandLineWritesNothing)
{
    const std::string output = Path("bad.png");
    const std::vector<std::vector<std::string>> cases = {
        {"--preview", "--framerate", output}, // the preview never shows the frame rate
        {"--size", "0x10", output},
        {"--size", "640", output},
        {"--fps", "0", output},
        {"--seconds", "1", "--frames", "61", output}, // beyond the run
        {"--frames", "1,,2", output},
        {"--scale", "3"},
        {"--colour", "blue", output},
        {output, output},
    };
    for (const std::vector<std::string> &arguments : cases)
    {
        EXPECT_EQ(2, Run(arguments)) << arguments[0];
        EXPECT_FALSE(Exists(output)) << arguments[0];
    }
}
