// Bitmap resources into textures on a real (software) OpenGL context: the bytes as OpenGL holds
// them, their orientation and order, the filters and the mipmap chain.
#include "texture.h"

#include "fakes/fake_platform.h"
#include "gl_offscreen.h"
#include "platform/gl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace
{

constexpr int FontSheetId = 163;
constexpr int TestBitmapId = 500;

std::vector<uint8_t> Read_File(const char *path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// 2 x 2, four colours, each 6-byte row padded to 8 with bytes that must never show.
FakePlatform::CFakeBitmap Coloured_Bitmap()
{
    return {2,
            2,
            {
                255, 0, 0, 0, 255, 0, 0xEE, 0xEE, // bottom row: blue, green
                0, 0, 255, 30, 20, 10, 0xEE, 0xEE // top row: red, (10, 20, 30)
            }};
}

class TextureTest : public ::testing::Test
{
protected:
    COffscreenContext Context{16, 16};
    GLuint Texture = 0;

    void SetUp() override
    {
        ASSERT_TRUE(Context.Is_Valid());
        FakePlatform::Reset();
        glGenTextures(1, &Texture);
        glBindTexture(GL_TEXTURE_2D, Texture);
    }

    static GLint Level_Parameter(int level, GLenum name)
    {
        GLint value = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
        return value;
    }

    static GLint Parameter(GLenum name)
    {
        GLint value = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }

    // A level of the bound texture in the given format, rows packed without padding.
    static std::vector<uint8_t> Level_Texels(int level, GLenum format)
    {
        const size_t texels = size_t(Level_Parameter(level, GL_TEXTURE_WIDTH)) *
                              size_t(Level_Parameter(level, GL_TEXTURE_HEIGHT));
        std::vector<uint8_t> data(texels * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, data.data());
        return data;
    }
};

using TextureDeathTest = TextureTest;

} // namespace

TEST_F(TextureTest, FontSheetLevelZeroHoldsTheBitmapsBytesUnchanged)
{
    const std::vector<uint8_t> file = Read_File(FONTSHEET_BMP);
    ASSERT_EQ(54u + 256 * 256 * 3, file.size()) << FONTSHEET_BMP;

    CTexture::Load_Resource_Bmp(FontSheetId);

    EXPECT_EQ(256, Level_Parameter(0, GL_TEXTURE_WIDTH));
    EXPECT_EQ(256, Level_Parameter(0, GL_TEXTURE_HEIGHT));
    // Three components: colour, and no alpha of its own.
    EXPECT_GT(Level_Parameter(0, GL_TEXTURE_RED_SIZE), 0);
    EXPECT_GT(Level_Parameter(0, GL_TEXTURE_GREEN_SIZE), 0);
    EXPECT_GT(Level_Parameter(0, GL_TEXTURE_BLUE_SIZE), 0);
    EXPECT_EQ(0, Level_Parameter(0, GL_TEXTURE_ALPHA_SIZE));

    // Read back in the bitmap's own order and layout (256-pixel rows need no padding), row 0
    // being t = 0: the file's pixels byte for byte.
    const std::vector<uint8_t> texels = Level_Texels(0, GL_BGR);
    ASSERT_EQ(file.size() - 54, texels.size());
    EXPECT_TRUE(std::equal(texels.begin(), texels.end(), file.begin() + 54));
    EXPECT_EQ(0, FakePlatform::LoadedBitmapCount) << "the bitmap is released";
}

TEST_F(TextureTest, RowsKeepTheirOrientationPaddingAndByteOrder)
{
    FakePlatform::Bitmaps[TestBitmapId] = Coloured_Bitmap();
    // Loading sets the unpack alignment itself; tightly packed rows would misread the padding.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    CTexture::Load_Resource_Bmp(TestBitmapId);

    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(4, alignment);
    ASSERT_EQ(2, Level_Parameter(0, GL_TEXTURE_WIDTH));
    ASSERT_EQ(2, Level_Parameter(0, GL_TEXTURE_HEIGHT));
    const std::vector<uint8_t> rgb = Level_Texels(0, GL_RGB);
    const std::vector<uint8_t> expected = {
        0,   0, 255, 0,  255, 0,  // t near 0: the picture's bottom row, blue then green
        255, 0, 0,   10, 20,  30, // t near 1: s near 0 is the top-left pixel, red
    };
    EXPECT_EQ(expected, rgb);
}

TEST_F(TextureTest, FullMipmapChainAndFiltersOnTheBoundTextureOnly)
{
    // Another texture with an image and filters of its own, which must survive untouched.
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    const uint8_t texel[4] = {1, 2, 3, 0};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    glBindTexture(GL_TEXTURE_2D, Texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST); // default is GL_LINEAR
    CTexture::Load_Resource_Bmp(FontSheetId);

    EXPECT_EQ(GL_LINEAR_MIPMAP_NEAREST, Parameter(GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_LINEAR, Parameter(GL_TEXTURE_MAG_FILTER));
    for (int level = 0; level <= 8; ++level)
    {
        EXPECT_EQ(256 >> level, Level_Parameter(level, GL_TEXTURE_WIDTH)) << level;
        EXPECT_EQ(256 >> level, Level_Parameter(level, GL_TEXTURE_HEIGHT)) << level;
    }
    // Wrap modes are left at OpenGL's defaults.
    EXPECT_EQ(GL_REPEAT, Parameter(GL_TEXTURE_WRAP_S));
    EXPECT_EQ(GL_REPEAT, Parameter(GL_TEXTURE_WRAP_T));

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLint(Texture), bound) << "no other texture is bound";
    // A name becomes a texture when first bound: none but the two of this test exist.
    for (GLuint name = 1; name < 64; ++name)
        EXPECT_EQ(name == Texture || name == other, glIsTexture(name) == GL_TRUE) << name;

    glBindTexture(GL_TEXTURE_2D, other);
    EXPECT_EQ(GL_NEAREST, Parameter(GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_NEAREST, Parameter(GL_TEXTURE_MAG_FILTER));
    EXPECT_EQ(1, Level_Parameter(0, GL_TEXTURE_WIDTH));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), Level_Texels(0, GL_RGB));
}

TEST_F(TextureDeathTest, ABitmapThatCannotBeLoadedEndsTheProgram)
{
    const struct
    {
        const char *Why;
        std::function<void()> Arrange;
        int Id;
    } cases[] = {
        {"no such resource", [] {}, 999},
        {"no description", [] { FakePlatform::DescribeBitmapFails = true; }, FontSheetId},
        {"rows missing",
         []
         {
             FakePlatform::CFakeBitmap short_rows = Coloured_Bitmap();
             short_rows.Rows.resize(15);
             FakePlatform::Bitmaps[TestBitmapId] = short_rows;
         },
         TestBitmapId},
    };
    for (const auto &c : cases)
    {
        FakePlatform::Reset();
        c.Arrange();
        EXPECT_EXIT(CTexture::Load_Resource_Bmp(c.Id), ::testing::ExitedWithCode(1), "beep")
            << c.Why;
    }
}
