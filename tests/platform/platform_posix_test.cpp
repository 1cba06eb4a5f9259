#include "platform/platform.h"
#include "private_settings_home.h"
#include "resource.h"
#include "twutility/twutility.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(PlatformPosixTest, BitmapsAreTheEmbeddedFilesPixelRowsByTheLow16BitsOfTheirId)
{
    const std::string file = Read_File(FONTSHEET_BMP);
    ASSERT_EQ(54u + 256 * 256 * 3, file.size());
    Platform::CBitmapResource *bitmap = Platform::Load_Bitmap_Resource(IDB_FONT_SHEET + 65536);
    ASSERT_NE(nullptr, bitmap);
    Platform::CBitmapBits bits{};
    ASSERT_TRUE(Platform::Describe_Bitmap(bitmap, &bits));
    EXPECT_EQ(256, bits.Width);
    EXPECT_EQ(256, bits.Height);
    EXPECT_EQ(file.substr(54), std::string(bits.Bits, bits.Bits + file.size() - 54));
    Platform::Delete_Bitmap(bitmap);
    EXPECT_EQ(nullptr, Platform::Load_Bitmap_Resource(IDB_FONT_SHEET + 1));
}

// As each failure of the Linux program reads, for the screen saver daemon's log.
TEST(PlatformPosixDeathTest, AFailedCheckOrSetUpCallIsOneLineOnStderr)
{
    EXPECT_EXIT(Assert("1 + 1 == 3", "twutility/twmath", 7), testing::ExitedWithCode(1),
                "^quillomar: twutility/twmath \\(7\\) Assert: 1 \\+ 1 == 3\n$");
    EXPECT_EXIT(Exit_If_Failed(0, 0, "CreateWindow"), testing::ExitedWithCode(1),
                "^quillomar: CreateWindow failed\\.\n$");
}

} // namespace
