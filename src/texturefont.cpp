#include "texturefont.h"

#include "platform/gl.h"
#include "resolution.h"
#include "texture.h"
#include "twutility/twmath.h"
#include "twutility/twutility.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

static const char SourceName[] = "texturefont";

static const int CellsPerRow = 16;
static const int GlyphSize = 16;           // pixels, whatever the spacing
static const float CellFraction = 0.0625f; // of the sheet's width and height

uint32_t CTextureFont::ListBase = 0;
uint32_t CTextureFont::TextureId = 0;
int CTextureFont::NumLists = 0;
int CTextureFont::Spacing = 0;

CColor::CColor(double red, double green, double blue, double alpha)
    : Red(red), Green(green), Blue(blue), Alpha(alpha)
{
}

void CTextureFont::Init(int resource_id, int spacing)
{
    Log_Printf("CTextureFont::Init\n");
    TW_ASSERT(spacing > 0);
    Spacing = spacing;
    glGenTextures(1, &TextureId);
    glBindTexture(GL_TEXTURE_2D, TextureId);
    CTexture::Load_Resource_Bmp(resource_id);
    Build_Font();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void CTextureFont::Build_Font()
{
    Log_Printf("CTextureFont::Build_Font\n");
    NumLists = 256;
    ListBase = glGenLists(NumLists);
    for (int i = 0; i < NumLists; ++i)
    {
        // Single precision throughout, as the lists store them. Texture row t = 1 is the top of
        // the sheet, so cell row 0 lies just below it.
        const float left = float(i % CellsPerRow) * CellFraction;
        const float right = left + CellFraction;
        const float top = 1.0f - float(i / CellsPerRow) * CellFraction;
        const float bottom = top - CellFraction;
        glNewList(ListBase + i, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(left, bottom);
        glVertex2i(0, 0);
        glTexCoord2f(right, bottom);
        glVertex2i(GlyphSize, 0);
        glTexCoord2f(right, top);
        glVertex2i(GlyphSize, GlyphSize);
        glTexCoord2f(left, top);
        glVertex2i(0, GlyphSize);
        glEnd();
        // The pen advance rides on the current matrix, so a string needs no per-character work.
        glTranslated(Spacing, 0, 0);
        glEndList();
    }
}

void CTextureFont::Close()
{
    Log_Printf("CTextureFont::Close\n");
    glDeleteLists(ListBase, NumLists);
}

int CTextureFont::Get_Text_Width(const char *text)
{
    TW_ASSERT(text != nullptr);
    const size_t length = strlen(text);
    // Exact in double for any width near the int range: a huge spacing must not wrap.
    TW_ASSERT(double(length) * Spacing <= INT_MAX);
    return int(length) * Spacing;
}

void CTextureFont::Print(double x, double y, const char *string, bool snap_to_pixel, CColor colour)
{
    TW_ASSERT(string != nullptr);
    const int width = CResolution::Get_Window_Width();
    const int height = CResolution::Get_Window_Height();

    // Pixels from the bottom-left corner. Shifting by half the overhang of the 16-pixel square
    // centres the drawn squares on a string of Get_Text_Width.
    double px = width * x + (Spacing - GlyphSize) * 0.5;
    double py = height * (1.0 - y);
    if (snap_to_pixel)
    {
        px = Round_To_Int(px);
        py = Round_To_Int(py);
    }
    else
    {
        // Filtering between pixels spreads a glyph's light and makes it look fainter: the
        // further off the pixel grid, the brighter it is drawn.
        const double k =
            0.75 + 0.375 * (std::fabs(Round_To_Int(px) - px) + std::fabs(Round_To_Int(py) - py));
        colour.Red *= k;
        colour.Green *= k;
        colour.Blue *= k;
    }
    glColor4f(float(colour.Red), float(colour.Green), float(colour.Blue), float(colour.Alpha));

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, TextureId);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glTranslatef(float(px), float(py - GlyphSize / 2), 0.0f);
    glListBase(ListBase);
    // glCallLists counts in int: a longer string goes in pieces.
    const unsigned char *next = reinterpret_cast<const unsigned char *>(string);
    for (size_t remaining = strlen(string); remaining > 0;)
    {
        const size_t count = std::min(remaining, size_t(INT_MAX));
        glCallLists(GLsizei(count), GL_UNSIGNED_BYTE, next);
        next += count;
        remaining -= count;
    }
    glPopMatrix();

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

void CTextureFont::Print_Centered(double y, const char *string, bool snap_to_pixel, CColor colour)
{
    TW_ASSERT(string != nullptr);
    const double x = 0.5 - 0.5 * Get_Text_Width(string) / CResolution::Get_Window_Width();
    Print(x, y, string, snap_to_pixel, colour);
}
