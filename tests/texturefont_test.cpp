// The texture font on a real (software) OpenGL context. Every frame it draws is compared, pixel
// by pixel, with what the font sheet itself says the frame should hold: each character a 16 x 16
// square of its cell, sampled at the pixel centres and added to the black frame.
#include "texturefont.h"

#include "fakes/fake_platform.h"
#include "gl_offscreen.h"
#include "platform/gl.h"
#include "resolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

constexpr int FontSheetId = 163;
constexpr int GlyphSize = 16;
// 8-bit colour and the renderer's fixed-point filtering and blending round a little.
constexpr int ColourTolerance = 3;
constexpr int AlphaTolerance = 2;

const CColor White(1.0, 1.0, 1.0, 1.0);

std::vector<uint8_t> Read_File(const char *path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// The committed sheet, read from its file rather than through the code under test.
class CFontSheet
{
public:
    CFontSheet() : Bytes(Read_File(FONTSHEET_BMP)) {}

    bool Is_Valid() const { return Bytes.size() == 54 + 256 * 256 * 3; }

    // Grey level of texel (x, y), y counted from the bottom row; wraps as GL_REPEAT does.
    int Texel(int x, int y) const
    {
        return Bytes[54 + (size_t(y & 255) * 256 + size_t(x & 255)) * 3];
    }

    // GL_LINEAR sampling at (u, v) in texels: 0 ... 1.
    double Sample(double u, double v) const
    {
        const double su = u - 0.5;
        const double sv = v - 0.5;
        const int x = int(std::floor(su));
        const int y = int(std::floor(sv));
        const double a = su - x;
        const double b = sv - y;
        return ((1 - a) * (1 - b) * Texel(x, y) + a * (1 - b) * Texel(x + 1, y) +
                (1 - a) * b * Texel(x, y + 1) + a * b * Texel(x + 1, y + 1)) /
               255.0;
    }

private:
    std::vector<uint8_t> Bytes;
};

// What the font should leave in a frame cleared to black, per channel 0 ... 1.
class CExpectedFrame
{
public:
    CExpectedFrame(int width, int height)
        : Width(width), Height(height), Rgba(size_t(width) * size_t(height) * 4, 0.0)
    {
    }

    // The first square's bottom-left corner at (left, bottom), in pixels from the window's
    // bottom-left corner; each next square `advance` pixels further right. `colour` is what the
    // font should hand to glColor.
    void Add_Text(const CFontSheet &sheet, double left, double bottom, const std::string &text,
                  int advance, const CColor &colour)
    {
        const double rgb[3] = {std::min(colour.Red, 1.0), std::min(colour.Green, 1.0),
                               std::min(colour.Blue, 1.0)};
        for (size_t i = 0; i < text.size(); ++i)
        {
            const int code = static_cast<unsigned char>(text[i]);
            const double square_left = left + double(i) * advance;
            const int first_x = std::max(0, int(std::floor(square_left)));
            const int last_x = std::min(Width - 1, int(square_left) + GlyphSize + 1);
            const int first_y = std::max(0, int(std::floor(bottom)));
            const int last_y = std::min(Height - 1, int(bottom) + GlyphSize + 1);
            for (int y = first_y; y <= last_y; ++y)
            {
                for (int x = first_x; x <= last_x; ++x)
                {
                    const double u = x + 0.5 - square_left;
                    const double v = y + 0.5 - bottom;
                    if (u < 0 || u >= GlyphSize || v < 0 || v >= GlyphSize)
                        continue;
                    // Cell row 0 is the top of the sheet, whose texel rows count from the bottom.
                    const double grey =
                        sheet.Sample((code % 16) * GlyphSize + u, (15 - code / 16) * GlyphSize + v);
                    double *pixel = &Rgba[(size_t(y) * size_t(Width) + size_t(x)) * 4];
                    for (int c = 0; c < 3; ++c)
                        pixel[c] += rgb[c] * grey * colour.Alpha;
                    pixel[3] += colour.Alpha * colour.Alpha;
                }
            }
        }
    }

    // Pixels of the frame that differ from the expectation by more than the tolerance, in a
    // colour channel or, when asked, in alpha; the first few go to *report.
    int Mismatches(const COffscreenContext &context, bool with_alpha, std::string *report) const
    {
        int count = 0;
        std::ostringstream text;
        for (int y = 0; y < Height; ++y)
        {
            for (int x = 0; x < Width; ++x)
            {
                const uint8_t *actual = context.Pixel(x, Height - 1 - y);
                const double *expected = &Rgba[(size_t(y) * size_t(Width) + size_t(x)) * 4];
                bool differs = false;
                for (int c = 0; c < 4; ++c)
                {
                    if (c == 3 && !with_alpha)
                        continue;
                    const int level = int(std::lround(std::min(expected[c], 1.0) * 255.0));
                    const int tolerance = c == 3 ? AlphaTolerance : ColourTolerance;
                    differs = differs || std::abs(level - int(actual[c])) > tolerance;
                }
                if (differs && ++count <= 5)
                {
                    text << " (" << x << ", " << y << ") is " << int(actual[0]) << "/"
                         << int(actual[1]) << "/" << int(actual[2]) << "/" << int(actual[3])
                         << ", expected " << expected[0] * 255 << "/" << expected[1] * 255 << "/"
                         << expected[2] * 255 << "/" << expected[3] * 255 << ";";
                }
            }
        }
        if (report != nullptr)
            *report = text.str();
        return count;
    }

private:
    int Width;
    int Height;
    std::vector<double> Rgba;
};

class TextureFontTest : public ::testing::Test
{
protected:
    std::unique_ptr<COffscreenContext> Context;
    CFontSheet Sheet;
    GLuint WhiteTexture = 0;

    void SetUp() override
    {
        ASSERT_TRUE(Sheet.Is_Valid()) << FONTSHEET_BMP;
        ASSERT_NO_FATAL_FAILURE(Open(160, 64, 8));
    }

    // A fresh context of the given size, as the drawing window would have, with the font on it.
    void Open(int width, int height, int spacing)
    {
        Context.reset();
        Context = std::make_unique<COffscreenContext>(width, height);
        ASSERT_TRUE(Context->Is_Valid());
        FakePlatform::Reset();
        CResolution::Set_Window_Dimensions(width, height);
        CTextureFont::Init(FontSheetId, spacing);
        glGenTextures(1, &WhiteTexture);
        glBindTexture(GL_TEXTURE_2D, WhiteTexture);
        const uint8_t white[4] = {255, 255, 255, 255};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        Clear();
    }

    static void Clear()
    {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // What an earlier drawing step may leave behind and printing must not rely on: another
    // texture bound, an overwriting blend function, another colour, the overlay's projection.
    void Disturb_State() const
    {
        glBindTexture(GL_TEXTURE_2D, WhiteTexture);
        glBlendFunc(GL_ONE, GL_ZERO);
        glColor4f(0.3f, 0.3f, 0.3f, 0.3f);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, 1, 1, 0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    CExpectedFrame Expect_Text(double pen_x, double pen_y, const std::string &text,
                               const CColor &colour) const
    {
        CExpectedFrame frame(Context->Width(), Context->Height());
        frame.Add_Text(Sheet, pen_x, pen_y - GlyphSize / 2, text, CTextureFont::Spacing, colour);
        return frame;
    }

    // Pixels lit anywhere but inside the given squares (left, bottom; 16 pixels each way).
    int Lit_Outside(const std::vector<std::pair<int, int>> &squares) const
    {
        int count = 0;
        for (int y = 0; y < Context->Height(); ++y)
        {
            for (int x = 0; x < Context->Width(); ++x)
            {
                const uint8_t *pixel = Context->Pixel(x, Context->Height() - 1 - y);
                const bool inside =
                    std::any_of(squares.begin(), squares.end(),
                                [&](const std::pair<int, int> &s) {
                                    return x >= s.first && x < s.first + GlyphSize &&
                                           y >= s.second && y < s.second + GlyphSize;
                                });
                if (!inside && (pixel[0] | pixel[1] | pixel[2]) != 0)
                    ++count;
            }
        }
        return count;
    }

    int Count_White() const
    {
        int count = 0;
        for (int y = 0; y < Context->Height(); ++y)
        {
            for (int x = 0; x < Context->Width(); ++x)
                count += Context->Pixel(x, y)[0] >= 250 ? 1 : 0;
        }
        return count;
    }
};

using TextureFontDeathTest = TextureFontTest;

} // namespace

TEST_F(TextureFontTest, InitBuildsAListPerCodeAndCloseDeletesThem)
{
    EXPECT_EQ(256, CTextureFont::NumLists);
    EXPECT_EQ(8, CTextureFont::Spacing);
    for (int code = 0; code < 256; ++code)
        ASSERT_TRUE(glIsList(CTextureFont::ListBase + code)) << code;
    EXPECT_TRUE(glIsTexture(CTextureFont::TextureId));
    EXPECT_NE(WhiteTexture, CTextureFont::TextureId);

    CTextureFont::Close();
    for (int code = 0; code < 256; ++code)
        ASSERT_FALSE(glIsList(CTextureFont::ListBase + code)) << code;
    EXPECT_TRUE(glIsTexture(CTextureFont::TextureId)) << "the texture stays with the context";
}

TEST_F(TextureFontTest, InitLoadsTheSheetIntoItsOwnTextureAndSetsAdditiveBlending)
{
    // Whatever was bound before is neither filled nor reused.
    GLuint before = 0;
    glGenTextures(1, &before);
    glBindTexture(GL_TEXTURE_2D, before);
    glBlendFunc(GL_ONE, GL_ZERO);
    CTextureFont::Init(FontSheetId, 8);

    GLint bound = 0, source = 0, destination = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_NE(before, CTextureFont::TextureId);
    EXPECT_EQ(GLint(CTextureFont::TextureId), bound);
    EXPECT_EQ(GL_SRC_ALPHA, source);
    EXPECT_EQ(GL_ONE, destination);
    GLint width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(256, width);
    glBindTexture(GL_TEXTURE_2D, before);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(0, width);
    EXPECT_EQ(0, FakePlatform::LoadedBitmapCount) << "the bitmap is released";
}

TEST_F(TextureFontTest, TextWidthIsOneSpacingPerByte)
{
    const struct
    {
        int Spacing;
        const char *Text;
        int Width;
    } cases[] = {
        {8, "123", 24},
        {8, "", 0},
        {8, "\xE9\xE9", 16},
        {5, "abcd", 20},
        {1, "x", 1},
        {INT_MAX / 3, "123", INT_MAX / 3 * 3}, // the widest that fits an int
        {INT_MAX, "x", INT_MAX},
    };
    for (const auto &c : cases)
    {
        CTextureFont::Init(FontSheetId, c.Spacing);
        EXPECT_EQ(c.Width, CTextureFont::Get_Text_Width(c.Text)) << c.Spacing << " " << c.Text;
    }
}

TEST_F(TextureFontTest, PrintDrawsEachCharacterAsASquareOfItsCellAtThePen)
{
    // 160 x 64 window, spacing 8: the pen is 4 pixels left of x and the squares reach 8 pixels
    // below and above the line's centre y.
    const struct
    {
        double X, Y;
        const char *Text;
        int PenX, PenY;
    } cases[] = {
        {0.25, 0.5, "A", 36, 32},
        {0.5, 0.75, "\xE9", 76, 16}, // a code of the sheet's lower half, from its own cell
        {0.0, 0.25, "Hi!", -4, 48},  // partly left of the window
        {0.9, 0.125, "Wq", 140, 56}, // touching the top, partly right of the window
        {0.1, 0.5, "Tarnwick presents", 12, 32},
        {0.05, 0.5, "\xC9t\xE9 \x80 \x89 \xFF", 4, 32},
    };
    for (const auto &c : cases)
    {
        Clear();
        Disturb_State();
        CTextureFont::Print(c.X, c.Y, c.Text, true, White);

        std::string report;
        const CExpectedFrame expected = Expect_Text(c.PenX, c.PenY, c.Text, White);
        EXPECT_EQ(0, expected.Mismatches(*Context, true, &report)) << c.Text << ":" << report;

        std::vector<std::pair<int, int>> squares;
        for (size_t i = 0; i < strlen(c.Text); ++i)
            squares.emplace_back(c.PenX + 8 * int(i), c.PenY - 8);
        EXPECT_EQ(0, Lit_Outside(squares)) << c.Text;
        EXPECT_GT(Count_White(), 0) << c.Text << ": white glyph pixels";
    }
}

TEST_F(TextureFontTest, EveryCodeDrawsItsOwnCell)
{
    // Each row of the sheet as one line of a 144 x 256 window, row r centred 16 r + 8 pixels
    // below the top. Code 0 ends a string, so row 0 starts one advance later, with code 1.
    ASSERT_NO_FATAL_FAILURE(Open(144, 256, 8));
    CExpectedFrame expected(144, 256);
    for (int row = 0; row < 16; ++row)
    {
        std::string text;
        for (int column = row == 0 ? 1 : 0; column < 16; ++column)
            text += char(row * 16 + column);
        const int pen_x = row == 0 ? 12 : 4;
        const double y = (row + 0.5) / 16;
        CTextureFont::Print((pen_x + 4) / 144.0, y, text.c_str(), true, White);
        expected.Add_Text(Sheet, pen_x, 256 - 16 * row - 16, text, 8, White);
    }
    std::string report;
    EXPECT_EQ(0, expected.Mismatches(*Context, true, &report)) << report;
}

TEST_F(TextureFontTest, SpacingIsTheAdvanceCompiledIntoEachList)
{
    // Half-transparent white: where squares overlap, the frame's alpha adds up square by square.
    const CColor half(1.0, 1.0, 1.0, 0.5);
    const struct
    {
        int Spacing;
        int PenX; // 40 + (spacing - 16) / 2, halves away from zero
    } cases[] = {{8, 36}, {5, 35}, {16, 40}, {20, 42}, {1, 33}};
    for (const auto &c : cases)
    {
        ASSERT_NO_FATAL_FAILURE(Open(160, 64, c.Spacing));
        Disturb_State();
        CTextureFont::Print(0.25, 0.5, "MWM", true, half);
        std::string report;
        EXPECT_EQ(0, Expect_Text(c.PenX, 32, "MWM", half).Mismatches(*Context, true, &report))
            << c.Spacing << ":" << report;
    }
}

TEST_F(TextureFontTest, SnappingRoundsThePenHalfAwayFromZero)
{
    // A 256 x 64 window makes these fractions exact; each pen differs from the wrong rounding.
    ASSERT_NO_FATAL_FAILURE(Open(256, 64, 8));
    const struct
    {
        double X, Y;
        int PenX, PenY;
        int WrongX, WrongY;
    } cases[] = {
        {104.5 / 256, 0.5, 101, 32, 100, 32},       // 100.5
        {3.5 / 256, 0.5, -1, 32, 0, 32},            // -0.5
        {104.25 / 256, 0.5, 100, 32, 101, 32},      // 100.25
        {3.75 / 256, 0.5, 0, 32, -1, 32},           // -0.25
        {0.5, 23.5 / 64, 124, 41, 124, 40},         // y: 40.5
        {0.5, 64.5 / 64, 124, -1, 124, 0},          // y: -0.5, only the glyphs' tops show
        {104.5 / 256, 23.5 / 64, 101, 41, 100, 40}, // both
        {-0.5 / 256, 40.5 / 64, -5, 24, -4, 23},    // -4.5 and 23.5
        {0.00000001 / 256, 0.5, -4, 32, -3, 32},    // -3.99999999
    };
    for (const auto &c : cases)
    {
        Clear();
        Disturb_State();
        CTextureFont::Print(c.X, c.Y, "Hg", true, White);
        std::string report;
        EXPECT_EQ(0, Expect_Text(c.PenX, c.PenY, "Hg", White).Mismatches(*Context, true, &report))
            << c.PenX << ", " << c.PenY << ":" << report;
        EXPECT_GT(Expect_Text(c.WrongX, c.WrongY, "Hg", White).Mismatches(*Context, true, nullptr),
                  0)
            << "cannot tell " << c.PenX << ", " << c.PenY << " from " << c.WrongX << ", "
            << c.WrongY;
    }
}

TEST_F(TextureFontTest, UnsnappedPenScalesTheColourByItsDistanceFromThePixelGrid)
{
    // Pen at 100 + dx, 32 + dy on a 256 x 64 window; k = 0.75 + 0.375 (|dx'| + |dy'|), where dx'
    // and dy' are the distances to the nearest whole pixel. Alpha is never scaled: the frame's
    // alpha (alpha squared under the blend) shows it everywhere in the squares.
    ASSERT_NO_FATAL_FAILURE(Open(256, 64, 8));
    const CColor colour(0.8, 0.6, 0.4, 0.5);
    const struct
    {
        double Dx, Dy;
        double K;
    } cases[] = {
        {0.0, 0.0, 0.75},     {0.25, 0.0, 0.84375},   {0.0, 0.25, 0.84375}, {0.75, 0.0, 0.84375},
        {0.25, 0.25, 0.9375}, {-0.25, -0.75, 0.9375}, {0.5, 0.5, 1.125},
    };
    for (const auto &c : cases)
    {
        Clear();
        Disturb_State();
        const double pen_x = 100 + c.Dx;
        const double pen_y = 32 + c.Dy;
        CTextureFont::Print((pen_x + 4) / 256, 1.0 - pen_y / 64, "Hi", false, colour);
        const CColor scaled(colour.Red * c.K, colour.Green * c.K, colour.Blue * c.K, colour.Alpha);
        // Pixel centres on the squares' edges are left to the rasteriser; alpha is judged only
        // where no edge passes through one.
        const bool edges_between_centres =
            std::fmod(std::fabs(c.Dx), 1.0) != 0.5 && std::fmod(std::fabs(c.Dy), 1.0) != 0.5;
        std::string report;
        EXPECT_EQ(0, Expect_Text(pen_x, pen_y, "Hi", scaled)
                         .Mismatches(*Context, edges_between_centres, &report))
            << c.Dx << ", " << c.Dy << ":" << report;
    }
}

TEST_F(TextureFontTest, PrintCenteredStartsHalfTheTextWidthLeftOfTheMiddle)
{
    const CColor grey(0.5, 0.5, 0.5, 1.0);
    const struct
    {
        int Width;
        bool Snap;
        double PenX;   // width / 2 - 20 - 4 for "Quill", snapped when asked
        CColor Colour; // as it reaches glColor
    } cases[] = {
        {160, true, 56, grey},
        {160, false, 56, CColor(0.375, 0.375, 0.375, 1.0)},
        {161, true, 57, grey},
        {161, false, 56.5, CColor(0.46875, 0.46875, 0.46875, 1.0)},
    };
    for (const auto &c : cases)
    {
        ASSERT_NO_FATAL_FAILURE(Open(c.Width, 64, 8));
        Disturb_State();
        CTextureFont::Print_Centered(0.5, "Quill", c.Snap, grey);
        std::string report;
        EXPECT_EQ(0, Expect_Text(c.PenX, 32, "Quill", c.Colour)
                         .Mismatches(*Context, c.PenX == std::floor(c.PenX), &report))
            << c.Width << (c.Snap ? " snapped" : "") << ":" << report;
    }
}

TEST_F(TextureFontTest, PrintRestoresTheProjectionAndLeavesBlendingAndTexturingOff)
{
    for (const char *text : {"", "A"})
    {
        Clear();
        Disturb_State();
        glEnable(GL_BLEND);
        glEnable(GL_TEXTURE_2D);
        GLdouble projection_before[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection_before);

        CTextureFont::Print(0.5, 0.5, text, true, White);

        GLint mode = 0, depth = 0, source = 0, destination = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        glGetIntegerv(GL_BLEND_SRC, &source);
        glGetIntegerv(GL_BLEND_DST, &destination);
        EXPECT_EQ(GL_PROJECTION, mode) << text;
        EXPECT_EQ(1, depth) << text;
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << text;
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << text;
        EXPECT_EQ(GL_SRC_ALPHA, source) << text;
        EXPECT_EQ(GL_ONE, destination) << text;
        GLdouble projection_after[16], modelview[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection_after);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        for (int i = 0; i < 16; ++i)
        {
            EXPECT_EQ(projection_before[i], projection_after[i]) << text << " " << i;
            EXPECT_EQ(i % 5 == 0 ? 1.0 : 0.0, modelview[i]) << text << " " << i;
        }
    }
    // The empty string drew nothing: only "A" lit any pixels, inside its own square.
    Clear();
    Disturb_State();
    CTextureFont::Print(0.5, 0.5, "", true, White);
    EXPECT_EQ(0, Lit_Outside({}));
    EXPECT_EQ(0, CExpectedFrame(160, 64).Mismatches(*Context, true, nullptr)) << "alpha too";
}

TEST_F(TextureFontDeathTest, BrokenPreconditionsEndTheProgram)
{
    const struct
    {
        const char *Why;
        std::function<void()> Call;
    } cases[] = {
        {"spacing 0", [] { CTextureFont::Init(FontSheetId, 0); }},
        {"negative spacing", [] { CTextureFont::Init(FontSheetId, -8); }},
        {"no such bitmap", [] { CTextureFont::Init(999, 8); }},
        {"bitmap without a description",
         []
         {
             FakePlatform::DescribeBitmapFails = true;
             CTextureFont::Init(FontSheetId, 8);
         }},
        {"null text", [] { CTextureFont::Get_Text_Width(nullptr); }},
        {"null string", [] { CTextureFont::Print(0.5, 0.5, nullptr, true, White); }},
        {"null centred string", [] { CTextureFont::Print_Centered(0.5, nullptr, true, White); }},
        {"width beyond an int",
         []
         {
             CTextureFont::Init(FontSheetId, INT_MAX / 3 + 1);
             CTextureFont::Get_Text_Width("123");
         }},
        {"centred width beyond an int",
         []
         {
             CTextureFont::Init(FontSheetId, INT_MAX);
             CTextureFont::Print_Centered(0.5, "xx", true, White);
         }},
        {"no window size yet",
         []
         {
             CResolution::WindowWidth = 0;
             CTextureFont::Print(0.5, 0.5, "A", true, White);
         }},
    };
    for (const auto &c : cases)
        EXPECT_EXIT(c.Call(), ::testing::ExitedWithCode(1), "beep") << c.Why;
}
