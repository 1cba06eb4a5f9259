// Prints every code of the font sheet (bitmap 163) with the texture font on an offscreen
// OpenGL context, as the saver would draw it, and writes the frame as a PNG enlarged with whole
// pixels: a grid of 16 lines of 16 codes, labelled with their hexadecimal rows and columns.
//
// usage: fontpicture <output.png>
#include "platform/gl.h"
#include "resolution.h"
#include "texturefont.h"

#include <GL/osmesa.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr int FontSheetId = 163;
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

bool Write_Png(const char *path, const std::vector<uint8_t> &frame)
{
    FILE *file = fopen(path, "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, FrameWidth * Scale, FrameHeight * Scale, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(FrameWidth) * Scale * 3);
    // The frame's rows run bottom-up, the picture's top-down.
    for (int y = FrameHeight - 1; y >= 0; --y)
    {
        for (int x = 0; x < FrameWidth * Scale; ++x)
        {
            const uint8_t *pixel = &frame[(size_t(y) * FrameWidth + size_t(x / Scale)) * 4];
            for (int c = 0; c < 3; ++c)
                row[size_t(x) * 3 + size_t(c)] = pixel[c];
        }
        for (int repeat = 0; repeat < Scale; ++repeat)
            png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> frame(size_t(FrameWidth) * FrameHeight * 4);
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (context == nullptr ||
        !OSMesaMakeCurrent(context, frame.data(), GL_UNSIGNED_BYTE, FrameWidth, FrameHeight))
    {
        fprintf(stderr, "%s: no offscreen OpenGL context\n", argv[0]);
        return 1;
    }
    CResolution::Set_Window_Dimensions(FrameWidth, FrameHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    CTextureFont::Init(FontSheetId, Spacing);
    Draw_Grid();
    glFinish();
    CTextureFont::Close();
    OSMesaDestroyContext(context);

    if (!Write_Png(argv[1], frame))
    {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
