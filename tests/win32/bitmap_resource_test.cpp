// Bitmap resources through the Win32 side of the platform seam, from this program's own
// resources (bitmap_resource_test.rc) under the real system.
#include "platform/platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{

constexpr int FontSheetId = 163;
constexpr int OneBitId = 301;

std::vector<uint8_t> Read_File(const char *path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(BitmapResource, RowsAreTheFilesPixelBytesWhateverTheHighBitsOfTheId)
{
    const std::vector<uint8_t> file = Read_File(FONTSHEET_BMP);
    ASSERT_EQ(54u + 256 * 256 * 3, file.size()) << FONTSHEET_BMP;
    for (int id : {FontSheetId, FontSheetId + 65536, FontSheetId - 65536})
    {
        Platform::CBitmapResource *bitmap = Platform::Load_Bitmap_Resource(id);
        ASSERT_NE(nullptr, bitmap) << id << ": " << GetLastError();
        Platform::CBitmapBits bits{};
        ASSERT_TRUE(Platform::Describe_Bitmap(bitmap, &bits)) << id;
        EXPECT_EQ(256, bits.Width) << id;
        EXPECT_EQ(256, bits.Height) << id;
        ASSERT_NE(nullptr, bits.Bits) << id;
        EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), bits.Bits)) << id;
        Platform::Delete_Bitmap(bitmap);
    }
}

TEST(BitmapResource, DeleteReleasesTheBitmap)
{
    Platform::CBitmapResource *bitmap = Platform::Load_Bitmap_Resource(FontSheetId);
    ASSERT_NE(nullptr, bitmap);
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(bitmap);
    EXPECT_EQ(OBJ_BITMAP, DWORD(GetObjectType(handle)));
    Platform::Delete_Bitmap(bitmap);
    EXPECT_EQ(0u, DWORD(GetObjectType(handle))) << "the handle is gone";
}

TEST(BitmapResource, MissingBitmapFailsCleanly)
{
    for (int id : {0, 164, 999, 65535, 65536})
        EXPECT_EQ(nullptr, Platform::Load_Bitmap_Resource(id)) << id;
    Platform::CBitmapBits bits{};
    EXPECT_FALSE(Platform::Describe_Bitmap(nullptr, &bits));
    EXPECT_EQ(nullptr, bits.Bits);
}

TEST(BitmapResource, OnlyTwentyFourBitRowsAreDescribed)
{
    Platform::CBitmapResource *bitmap = Platform::Load_Bitmap_Resource(OneBitId);
    ASSERT_NE(nullptr, bitmap) << "loads: it is a bitmap";
    Platform::CBitmapBits bits{};
    EXPECT_FALSE(Platform::Describe_Bitmap(bitmap, &bits)) << "but not as 24-bit rows";
    EXPECT_EQ(nullptr, bits.Bits);
    Platform::Delete_Bitmap(bitmap);
}
