// The font on a sheet of the test's own: every cell one solid colour that names its code.
#include "texturefont.h"

#include "platform/gl.h"
#include "resolution.h"
#include "scene.h"

#include <string>

namespace
{

const int SheetId = 99;

// Code c is blue-green-red (128, 255 - c, c); cell row 0 is the picture's top, its last BMP row.
FakePlatform::CFakeBitmap Coded_Sheet()
{
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
    return sheet;
}

class TextureFontTest : public CFrameTest
{
protected:
    void SetUp() override
    {
        CFrameTest::SetUp();
        FakePlatform::Bitmaps[SheetId] = Coded_Sheet();
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

    static bool Lit(const uint8_t *p) { return p[2] > 0; }
};

const CColor Full(1.0, 1.0, 1.0, 1.0);

TEST_F(TextureFontTest, EachCodeDrawsItsOwnCellAsASixteenPixelSquareAtThePen)
{
    EXPECT_EQ(0, FakePlatform::LoadedBitmaps) << "the sheet's bitmap is given back once loaded";
    for (int code : {1, int('A'), 0x7F, 0x80, 0xFF})
    {
        glClear(GL_COLOR_BUFFER_BIT);
        CTextureFont::Print(0.5, 0.25, std::string(1, char(code)).c_str(), true, Full);
        // The pen at x = 160 less half the overhang (4), the line's centre at y = 60.
        const CBox square = Find(0, Height, Lit);
        EXPECT_EQ(156, square.Left);
        EXPECT_EQ(171, square.Right);
        EXPECT_EQ(52, square.Top);
        EXPECT_EQ(67, square.Bottom);
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
