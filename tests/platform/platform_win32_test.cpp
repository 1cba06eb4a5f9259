// The Win32 side of the platform seam's bitmap resources, against the real system under Wine,
// from this program's own resources (platform_win32_test.rc).
#include "platform/platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

struct CBitmapCase
{
    const char *Name;
    int Id;
    bool Loads, Described;
};

void PrintTo(const CBitmapCase &c, std::ostream *os)
{
    *os << c.Name;
}

using CBitmapResource = ::testing::TestWithParam<CBitmapCase>;

TEST_P(CBitmapResource, RowsAreTheFilesPixelBytesOrNothing)
{
    Platform::CBitmapResource *bitmap = Platform::Load_Bitmap_Resource(GetParam().Id);
    ASSERT_EQ(GetParam().Loads, bitmap != nullptr);
    Platform::CBitmapBits bits{};
    EXPECT_EQ(GetParam().Described, Platform::Describe_Bitmap(bitmap, &bits));
    if (GetParam().Described)
    {
        std::ifstream stream(FONTSHEET_BMP, std::ios::binary);
        const std::vector<uint8_t> file{std::istreambuf_iterator<char>(stream), {}};
        ASSERT_EQ(54u + 256 * 256 * 3, file.size()) << FONTSHEET_BMP;
        EXPECT_EQ(256, bits.Width);
        EXPECT_EQ(256, bits.Height);
        EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), bits.Bits));
    }
    else
        EXPECT_EQ(nullptr, bits.Bits);
    if (bitmap == nullptr)
        return;
    Platform::Delete_Bitmap(bitmap);
    EXPECT_EQ(0u, DWORD(GetObjectType(reinterpret_cast<HGDIOBJ>(bitmap)))) << "still there";
}

INSTANTIATE_TEST_SUITE_P(
    Ids, CBitmapResource,
    ::testing::Values(CBitmapCase{"font sheet", 163, true, true},
                      CBitmapCase{"font sheet, high bits set", 163 + 65536, true, true},
                      CBitmapCase{"font sheet, negative", 163 - 65536, true, true},
                      CBitmapCase{"one bit per pixel", 301, true, false},
                      CBitmapCase{"none", 0, false, false},
                      CBitmapCase{"missing", 164, false, false},
                      CBitmapCase{"missing, high bits set", 65535 + 65536, false, false}));
