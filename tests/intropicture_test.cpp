// Checks the committed Introduction picture (resources/introduction.bmp, bitmap 145) and that
// intropicture still renders it byte for byte.
//
// INTRODUCTION_BMP names the picture, INTROPICTURE the built tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

constexpr int Width = 548;
constexpr int Height = 199;
constexpr size_t HeaderBytes = 14 + 40;
constexpr size_t RowBytes = Width * 3; // already a multiple of 4
// A frame a few pixels shorter than the picture (the page's font on some systems) crops these
// rows, so they hold nothing.
constexpr int MarginRows = 10;

std::vector<uint8_t> Read_File(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

struct CRgb
{
    int Red;
    int Green;
    int Blue;
};

class CIntroPictureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Bytes = Read_File(INTRODUCTION_BMP);
        ASSERT_EQ(HeaderBytes + RowBytes * Height, Bytes.size());
    }

    uint32_t Le(size_t offset, int bytes) const
    {
        uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | Bytes[offset + size_t(i)];
        return value;
    }

    // y counts from the top; the file holds the bottom row first.
    CRgb At(int x, int y) const
    {
        const size_t i = HeaderBytes + size_t(Height - 1 - y) * RowBytes + size_t(x) * 3;
        return {Bytes[i + 2], Bytes[i + 1], Bytes[i]};
    }

    std::vector<uint8_t> Bytes;
};

TEST_F(CIntroPictureTest, IsA24BitBottomUpBitmapOf548By199)
{
    EXPECT_EQ('B', Bytes[0]);
    EXPECT_EQ('M', Bytes[1]);
    EXPECT_EQ(Bytes.size(), Le(2, 4));
    EXPECT_EQ(54u, Le(10, 4)) << "pixel offset";
    EXPECT_EQ(40u, Le(14, 4)) << "header size";
    EXPECT_EQ(uint32_t(Width), Le(18, 4));
    EXPECT_EQ(uint32_t(Height), Le(22, 4)) << "positive: bottom-up";
    EXPECT_EQ(1u, Le(26, 2)) << "planes";
    EXPECT_EQ(24u, Le(28, 2)) << "bits per pixel";
    EXPECT_EQ(0u, Le(30, 4)) << "no compression";
    EXPECT_EQ(RowBytes * Height, Le(34, 4));
}

// Bananas on black with the product name across the middle, white and alone there.
TEST_F(CIntroPictureTest, ShowsBananasOnBlackAndTheTitleInTheMiddle)
{
    int yellow = 0;
    int white_in_middle = 0;
    int white_elsewhere = 0;
    int lit_in_margins = 0;
    for (int y = 0; y < Height; ++y)
    {
        for (int x = 0; x < Width; ++x)
        {
            const CRgb c = At(x, y);
            const bool lit = c.Red + c.Green + c.Blue > 0;
            const bool middle =
                x > Width / 5 && x < Width * 4 / 5 && y > Height / 3 && y < Height * 2 / 3;
            if (c.Red > 140 && c.Green > 140 && c.Blue < 100)
                ++yellow;
            if (c.Red > 200 && c.Green > 200 && c.Blue > 200)
                ++(middle ? white_in_middle : white_elsewhere);
            if (lit && (y < MarginRows || y >= Height - MarginRows))
                ++lit_in_margins;
        }
    }
    EXPECT_GT(yellow, 1000);
    EXPECT_GT(white_in_middle, 1000);
    EXPECT_EQ(0, white_elsewhere);
    EXPECT_EQ(0, lit_in_margins);
}

TEST(CIntroPictureGenerator, ReproducesTheCommittedPicture)
{
    const std::string output = ::testing::TempDir() + "introduction_regenerated.bmp";
    std::remove(output.c_str());
    const std::string command = "\"" + std::string(INTROPICTURE) + "\" \"" + output + "\"";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    const std::vector<uint8_t> expected = Read_File(INTRODUCTION_BMP);
    const std::vector<uint8_t> actual = Read_File(output);
    std::remove(output.c_str());
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(expected.size(), actual.size());
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), actual.begin());
    EXPECT_TRUE(mismatch.first == expected.end())
        << "first difference at byte " << (mismatch.first - expected.begin());
}

} // namespace
