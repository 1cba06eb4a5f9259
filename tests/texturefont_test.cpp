// The font on a sheet of the test's own: every cell one solid colour that names its code.
#include "texturefont.h"

#include "platform/gl.h"
#include "resolution.h"
#include "scene.h"

#include <string>

namespace
{

const int SheetId = 99;

class TextureFontTest : public CFrameTest
{
protected:
    // Code c is blue-green-red (128, 255 - c, c); cell row 0 is the picture's top, its last BMP
    // row.
    void SetUp() override
    {
        CFrameTest::SetUp();
        FakePlatform::CFakeBitmap sheet{256, 256, std::vector<uint8_t>(256 * 256 * 3)};
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
            {
                const int code = (y / 16) * 16 + x / 16;
                uint8_t *pixel = &sheet.Rows[((255 - y) * 256 + x) * 3];
                pixel[0] = 128;
                pixel[1] = uint8_t(255 - code);
                pixel[2] = uint8_t(code);
            }
        FakePlatform::Bitmaps[SheetId] = sheet;
        CResolution::Set_Window_Dimensions(Width, Height);
        Set_Overlay_Projection();
        CTextureFont::Init(SheetId, 8);
    }

    void TearDown() override { CTextureFont::Close(); }

    void Expect_Code(int x, int y, int code, double scale = 1.0)
    {
        const uint8_t *pixel = Frame.Pixel(x, y);
        EXPECT_NEAR(code * scale, pixel[0], 1.0) << "code " << code << " at " << x << ", " << y;
        EXPECT_NEAR((255 - code) * scale, pixel[1], 1.0) << "code " << code;
        EXPECT_NEAR(128 * scale, pixel[2], 1.0) << "code " << code;
    }
};

const CColor Full(1.0, 1.0, 1.0, 1.0);

// Where a glyph lands and how wide text runs is pinned by the introduction picture, drawn with
// the real font; here are the codes its title does not use.
TEST_F(TextureFontTest, EveryCodeUpTo255DrawsItsOwnCell)
{
    EXPECT_EQ(0, FakePlatform::LoadedBitmaps) << "the sheet's bitmap is given back once loaded";
    for (int code : {1, 0x7F, 0x80, 0xFF})
    {
        glClear(GL_COLOR_BUFFER_BIT);
        CTextureFont::Print(0.5, 0.25, std::string(1, char(code)).c_str(), true, Full);
        Expect_Code(163, 59, code);
    }
}

TEST_F(TextureFontTest, AnUnsnappedPenIsDrawnBrighterOffTheGrid)
{
    CTextureFont::Print(0.5, 0.5, "A", false, Full); // on the grid: three quarters
    Expect_Code(163, 120, 'A', 0.75);
    glClear(GL_COLOR_BUFFER_BIT);
    CTextureFont::Print(0.5 + 0.5 / Width, 0.5, "A", false, Full); // half a pixel off
    Expect_Code(164, 120, 'A', 0.9375);
}

TEST_F(TextureFontTest, PrintLeavesTheProjectionAsItWasAndBlendingAndTexturingOff)
{
    GLdouble before[16], after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    CTextureFont::Print(0.1, 0.1, "text", true, Full);
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(before[i], after[i]) << i;
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    const GLuint first = CTextureFont::ListBase;
    EXPECT_TRUE(glIsList(first + 255));
    CTextureFont::Close();
    EXPECT_FALSE(glIsList(first));
    EXPECT_FALSE(glIsList(first + 255));
    CTextureFont::Init(SheetId, 8); // for TearDown
}

} // namespace
