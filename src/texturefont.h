// Single-line text in window pixels, drawn from a 16 x 16 grid of 16-pixel glyph cells in one
// texture (the font sheet, Windows-1252 order), one display list per character code. One font
// per process; every operation needs the rendering context current.
#ifndef QUILLOMAR_TEXTUREFONT_H
#define QUILLOMAR_TEXTUREFONT_H

#include <cstdint>

// Each component nominally 0.0 ... 1.0. Alpha scales the colour added to the frame, since text
// is blended additively.
class CColor
{
public:
    CColor(double red, double green, double blue, double alpha);

    double Red;
    double Green;
    double Blue;
    double Alpha;
};

class CTextureFont
{
public:
    static uint32_t ListBase;  // list of code c is ListBase + c
    static uint32_t TextureId; // the font sheet; it goes with the rendering context
    static int NumLists;
    static int Spacing; // pixels from one character to the next, > 0

    // Loads the sheet (bitmap resource_id) into a new texture and builds the lists.
    static void Init(int resource_id, int spacing);
    static void Build_Font();
    static void Close();

    // Pixels: one Spacing per byte, without the overhang of the last 16-pixel square.
    static int Get_Text_Width(const char *text);

    // x, y: fractions of the drawing window from its left and top edges; y is the centre of the
    // line. With snap_to_pixel the pen lands on whole pixels; otherwise the colour is scaled by
    // 0.75 ... 1.125 as the pen lies on or between pixels. The modelview matrix must be the
    // identity; the matrix mode is GL_PROJECTION afterwards.
    static void Print(double x, double y, const char *string, bool snap_to_pixel, CColor colour);
    static void Print_Centered(double y, const char *string, bool snap_to_pixel, CColor colour);
};

#endif
