// Prints every code of the font sheet (IDB_FONT_SHEET) with the texture font on an offscreen
// OpenGL context, as the saver would draw it, and writes the frame as a PNG enlarged with whole
// pixels: a grid of 16 lines of 16 codes, labelled with their hexadecimal rows and columns.
//
// usage: fontpicture <output.png>
#include "offscreenframe.h"
#include "common/pngrows.h"
#include "platform/gl.h"
#include "resolution.h"
#include "resource.h"
#include "texturefont.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr int Spacing = 8;      // pixels, as the saver prints
constexpr int LineHeight = 16;  // pixels
constexpr int Margin = 8;       // pixels around the grid
constexpr int LabelColumns = 4; // "E0" and two blanks
constexpr int Scale = 2;        // each frame pixel becomes Scale x Scale picture pixels
constexpr int FrameWidth = 2 * Margin + (LabelColumns + 32) * Spacing;
constexpr int FrameHeight = 2 * Margin + 17 * LineHeight;

const CColor GlyphColour(1.0, 1.0, 1.0, 1.0);
const CColor LabelColour(0.55, 0.55, 0.55, 1.0);

// A string whose pen lands at pixel column `column` (in character advances from the margin) on
// text line `line` (0 is the header), snapped to whole pixels.
void Print_At(int column, int line, const std::string &text, const CColor &colour)
{
    const double pen_x = Margin + column * Spacing;
    const double x = (pen_x + (16 - Spacing) * 0.5) / FrameWidth;
    const double y = (Margin + line * LineHeight + LineHeight * 0.5) / FrameHeight;
    CTextureFont::Print(x, y, text.c_str(), true, colour);
}

void Draw_Grid()
{
    std::string header;
    for (int column = 0; column < 16; ++column)
        header += std::string(1, "0123456789ABCDEF"[column]) + " ";
    Print_At(LabelColumns, 0, header, LabelColour);
    for (int row = 0; row < 16; ++row)
    {
        const char label[3] = {"0123456789ABCDEF"[row], '0', '\0'};
        Print_At(0, row + 1, label, LabelColour);
        // Code 0 ends a C string, so its place stays blank.
        std::string glyphs;
        for (int column = 0; column < 16; ++column)
        {
            const int code = row * 16 + column;
            glyphs += code == 0 ? ' ' : char(code);
            glyphs += ' ';
        }
        Print_At(LabelColumns, row + 1, glyphs, GlyphColour);
    }
}

// Each pixel as a Scale x Scale square; the frame's rows run bottom-up, the picture's top-down.
bool Write_Picture(const char *path, const std::vector<uint8_t> &frame)
{
    return Write_Png_Rows(path, FrameWidth * Scale, FrameHeight * Scale,
                          [&](int row, uint8_t *out)
                          {
                              const int y = FrameHeight - 1 - row / Scale;
                              for (int x = 0; x < FrameWidth * Scale; ++x)
                              {
                                  const uint8_t *pixel =
                                      &frame[(size_t(y) * FrameWidth + size_t(x / Scale)) * 4];
                                  for (int c = 0; c < 3; ++c)
                                      out[size_t(x) * 3 + size_t(c)] = pixel[c];
                              }
                          });
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    COffscreenFrame frame;
    if (!frame.Open(argv[0], FrameWidth, FrameHeight))
        return 1;
    CResolution::Set_Window_Dimensions(FrameWidth, FrameHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    CTextureFont::Init(IDB_FONT_SHEET, Spacing);
    Draw_Grid();
    glFinish();
    CTextureFont::Close();

    if (!Write_Picture(argv[1], frame.Pixels))
    {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
