// The POSIX side of the platform seam: bitmap resources come from the bytes compiled in.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{

std::vector<uint8_t> Read_File(const char *path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(PlatformPosix, BitmapResourceIsTheFilesPixelRows)
{
    const std::vector<uint8_t> file = Read_File(FONTSHEET_BMP);
    ASSERT_EQ(54u + 256 * 256 * 3, file.size()) << FONTSHEET_BMP;
    // Ids differing only above the low 16 bits name the same resource.
    for (int id : {163, 163 + 65536, 163 - 65536})
    {
        Platform::CBitmapResource *bitmap = Platform::Load_Bitmap_Resource(id);
        ASSERT_NE(nullptr, bitmap) << id;
        Platform::CBitmapBits bits{};
        ASSERT_TRUE(Platform::Describe_Bitmap(bitmap, &bits)) << id;
        EXPECT_EQ(256, bits.Width);
        EXPECT_EQ(256, bits.Height);
        EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), bits.Bits)) << id;
        Platform::Delete_Bitmap(bitmap);
    }
}

TEST(PlatformPosix, MissingBitmapResourceIsNull)
{
    for (int id : {0, 162, 164, 65535, 65536})
        EXPECT_EQ(nullptr, Platform::Load_Bitmap_Resource(id)) << id;
    Platform::CBitmapBits bits{};
    EXPECT_FALSE(Platform::Describe_Bitmap(nullptr, &bits));
    EXPECT_EQ(nullptr, bits.Bits);
}
