// Renders the Quillomar font sheet (IDB_FONT_SHEET): 16 x 16 cells of 16 x 16 pixels, one per
// Windows-1252 code, white anti-aliased glyphs on black, written as a 24-bit bottom-up BMP file.
//
// Usage: fontsheet_gen <output.bmp> [font.ttf]

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

constexpr const char *DefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

constexpr int SheetSize = 256;
constexpr int CellSize = 16;
constexpr int CellsPerRow = SheetSize / CellSize;

// Cell geometry shared with the renderer: text advances 8 px per character, so glyphs must stay
// narrow and centred or neighbours collide.
constexpr int CapHeight = 8;
constexpr int BaselineRow = 11;   // lowest row of a capital
constexpr int CentreColumn = 7;   // ink of a glyph is centred here
constexpr int FirstInkColumn = 2; // ordinary glyphs live in columns 2..12
constexpr int LastInkColumn = 12;
constexpr int FirstInkRow = 1; // accents may rise to row 1, descenders fall to row 14
constexpr int LastInkRow = 14;

// Codes without a character show a hollow box as tall as a capital and as wide as a glyph, so a
// run of them stays a row of separate boxes at the 8 px pitch.
constexpr int BoxLeft = 4;
constexpr int BoxRight = 10;
constexpr int BoxTop = BaselineRow - CapHeight + 1;
constexpr int BoxBottom = BaselineRow;

// The per-mille sign is unreadable squeezed into one monospaced advance, so it is stretched and is
// the one glyph allowed to use nearly the whole cell. It follows a number, so it starts where an
// ordinary glyph starts and runs on into the space that usually comes next.
constexpr std::uint32_t PerMilleCode = 0x89;
constexpr int PerMilleLeft = 4;
constexpr int PerMilleRight = 14;

constexpr std::uint32_t EnDashCode = 0x96;
constexpr std::uint32_t EmDashCode = 0x97;

// Horizontal scale applied when rendering a code. A monospaced font draws the en and em dash the
// same width; here the em dash fills the whole 8 px pitch (so a run of them joins up) and the en
// dash sits between it and the hyphen.
double Stretch_For_Code(std::uint32_t code)
{
    switch (code)
    {
        case PerMilleCode:
            return 1.6;
        case EnDashCode:
            return 0.8;
        case EmDashCode:
            return 1.2;
        default:
            return 1.0;
    }
}

constexpr std::uint32_t Undefined = 0xFFFFFFFF;
constexpr std::uint32_t Blank = 0;

// Windows-1252 0x80..0x9F; the rest of the upper half coincides with Latin-1.
constexpr std::uint32_t HighControlRange[32] = {
    0x20AC,    Undefined, 0x201A, 0x0192, 0x201E, 0x2026,    0x2020, 0x2021,
    0x02C6,    0x2030,    0x0160, 0x2039, 0x0152, Undefined, 0x017D, Undefined,
    Undefined, 0x2018,    0x2019, 0x201C, 0x201D, 0x2022,    0x2013, 0x2014,
    0x02DC,    0x2122,    0x0161, 0x203A, 0x0153, Undefined, 0x017E, 0x0178};

// Returns the Unicode character to draw for a Windows-1252 code, Blank for the two spaces and
// Undefined for codes that have no printable character.
std::uint32_t Unicode_For_Code(std::uint32_t code)
{
    if (code < 0x20 || code == 0x7F)
        return Undefined;
    if (code == 0x20 || code == 0xA0)
        return Blank;
    if (code >= 0x80 && code < 0xA0)
        return HighControlRange[code - 0x80];
    if (code == 0xAD)
        return '-'; // a soft hyphen only ever reaches the screen where a line was broken
    return code;
}

std::string Code_Name(const char *prefix, std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%s%04X", prefix, static_cast<unsigned>(value));
    return text;
}

class CSheet
{
public:
    CSheet() : Grey(SheetSize * SheetSize, 0) {}

    void Plot(int x, int y, std::uint8_t value)
    {
        std::uint8_t &pixel = Grey[static_cast<size_t>(y) * SheetSize + x];
        pixel = std::max(pixel, value);
    }

    void Write_Bmp(const std::string &path) const;

private:
    std::vector<std::uint8_t> Grey; // top row first
};

void Put_Le(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void CSheet::Write_Bmp(const std::string &path) const
{
    constexpr std::uint32_t HeaderBytes = 14 + 40;
    constexpr std::uint32_t ImageBytes = SheetSize * SheetSize * 3;

    std::vector<std::uint8_t> file;
    file.reserve(HeaderBytes + ImageBytes);
    file.push_back('B');
    file.push_back('M');
    Put_Le(file, HeaderBytes + ImageBytes, 4);
    Put_Le(file, 0, 2);
    Put_Le(file, 0, 2);
    Put_Le(file, HeaderBytes, 4);

    Put_Le(file, 40, 4);
    Put_Le(file, SheetSize, 4);
    Put_Le(file, SheetSize, 4); // positive height: rows stored bottom-up
    Put_Le(file, 1, 2);
    Put_Le(file, 24, 2);
    Put_Le(file, 0, 4); // BI_RGB
    Put_Le(file, ImageBytes, 4);
    Put_Le(file, 2835, 4); // 72 dpi
    Put_Le(file, 2835, 4);
    Put_Le(file, 0, 4);
    Put_Le(file, 0, 4);

    for (int y = SheetSize - 1; y >= 0; --y)
    {
        for (int x = 0; x < SheetSize; ++x)
        {
            const std::uint8_t value = Grey[static_cast<size_t>(y) * SheetSize + x];
            file.insert(file.end(), {value, value, value});
        }
    }

    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char *>(file.data()),
                 static_cast<std::streamsize>(file.size()));
    stream.close();
    if (!stream)
        throw std::runtime_error("cannot write " + path);
}

// A rendered glyph in pen coordinates: Left is the first column relative to the origin, Top the
// number of rows above the baseline (FreeType's convention).
class CGlyphImage
{
public:
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Grey;

    std::uint8_t At(int x, int y) const { return Grey[static_cast<size_t>(y) * Width + x]; }
    // Height above the baseline of the bottom edge of row y.
    int Row_Floor(int y) const { return Top - 1 - y; }
};

// Trims blank rows and columns: centring and accent placement go by ink, and FreeType's bitmaps
// can carry an empty column.
CGlyphImage Crop(const CGlyphImage &image, int rows)
{
    int first_x = image.Width;
    int last_x = -1;
    int first_y = rows;
    int last_y = -1;
    for (int y = 0; y < rows; ++y)
    {
        for (int x = 0; x < image.Width; ++x)
        {
            if (image.At(x, y) == 0)
                continue;
            first_x = std::min(first_x, x);
            last_x = std::max(last_x, x);
            first_y = std::min(first_y, y);
            last_y = std::max(last_y, y);
        }
    }

    CGlyphImage cropped;
    if (last_x < 0)
        return cropped;
    cropped.Left = image.Left + first_x;
    cropped.Top = image.Top - first_y;
    cropped.Width = last_x - first_x + 1;
    cropped.Height = last_y - first_y + 1;
    for (int y = first_y; y <= last_y; ++y)
    {
        for (int x = first_x; x <= last_x; ++x)
            cropped.Grey.push_back(image.At(x, y));
    }
    return cropped;
}

class CFont
{
public:
    explicit CFont(const std::string &path)
    {
        if (FT_Init_FreeType(&Library) != 0)
            throw std::runtime_error("FreeType failed to initialise");
        if (FT_New_Face(Library, path.c_str(), 0, &Face) != 0)
        {
            FT_Done_FreeType(Library);
            throw std::runtime_error("cannot open font " + path);
        }
    }
    ~CFont()
    {
        FT_Done_Face(Face);
        FT_Done_FreeType(Library);
    }
    CFont(const CFont &) = delete;
    CFont &operator=(const CFont &) = delete;

    void Fit_Cap_Height();
    CGlyphImage Render(std::uint32_t unicode, double stretch = 1.0);

    int XHeight = 0;

private:
    FT_Library Library = nullptr;
    FT_Face Face = nullptr;
};

CGlyphImage CFont::Render(std::uint32_t unicode, double stretch)
{
    const FT_UInt index = FT_Get_Char_Index(Face, unicode);
    if (index == 0)
        throw std::runtime_error("font lacks " + Code_Name("U+", unicode));

    FT_Matrix matrix = {static_cast<FT_Fixed>(std::lround(stretch * 0x10000)), 0, 0, 0x10000};
    FT_Set_Transform(Face, &matrix, nullptr);
    if (FT_Load_Glyph(Face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
        throw std::runtime_error("cannot render " + Code_Name("U+", unicode));
    const FT_GlyphSlot slot = Face->glyph;
    const FT_Bitmap &bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        throw std::runtime_error("font gave a non-grey bitmap");

    CGlyphImage image;
    image.Left = slot->bitmap_left;
    image.Top = slot->bitmap_top;
    image.Width = static_cast<int>(bitmap.width);
    image.Height = static_cast<int>(bitmap.rows);
    image.Grey.resize(static_cast<size_t>(image.Width) * image.Height);
    for (int y = 0; y < image.Height; ++y)
    {
        const unsigned char *row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        std::copy(row, row + image.Width,
                  image.Grey.begin() + static_cast<std::ptrdiff_t>(y) * image.Width);
    }
    return Crop(image, image.Height);
}

// Hinting snaps the cap height to whole pixels, so the nominal size is chosen by what 'H'
// actually renders to rather than from the font's metrics.
void CFont::Fit_Cap_Height()
{
    for (int size = 2 * CapHeight; size >= CapHeight; --size)
    {
        if (FT_Set_Pixel_Sizes(Face, 0, static_cast<FT_UInt>(size)) != 0)
            continue;
        const CGlyphImage h = Render('H');
        if (h.Top == CapHeight && h.Height == CapHeight)
        {
            XHeight = Render('x').Top;
            return;
        }
    }
    throw std::runtime_error("no pixel size gives an 8 px cap height");
}

// The part of a lower-case letter that lies clear above its x-height.
CGlyphImage Accent_Of(const CGlyphImage &lower, int x_height)
{
    int rows = 0;
    while (rows < lower.Height && lower.Row_Floor(rows) > x_height)
        ++rows;
    CGlyphImage accent = Crop(lower, rows);
    if (accent.Height == 0)
        throw std::runtime_error("lower-case letter has no accent");
    return accent;
}

CGlyphImage Merge(const CGlyphImage &a, const CGlyphImage &b)
{
    CGlyphImage merged;
    merged.Left = std::min(a.Left, b.Left);
    merged.Top = std::max(a.Top, b.Top);
    merged.Width = std::max(a.Left + a.Width, b.Left + b.Width) - merged.Left;
    merged.Height = merged.Top - std::min(a.Top - a.Height, b.Top - b.Height);
    merged.Grey.assign(static_cast<size_t>(merged.Width) * merged.Height, 0);
    for (const CGlyphImage *part : {&a, &b})
    {
        for (int y = 0; y < part->Height; ++y)
        {
            for (int x = 0; x < part->Width; ++x)
            {
                std::uint8_t &pixel =
                    merged.Grey[static_cast<size_t>(merged.Top - part->Top + y) * merged.Width +
                                (part->Left - merged.Left + x)];
                pixel = std::max(pixel, part->At(x, y));
            }
        }
    }
    return merged;
}

// At an 8 px cap height the font's own accented capitals squeeze every accent into a single
// row, making A-grave, A-acute and A-circumflex one smudge. The lower-case accents are two rows
// tall, so those are lifted onto the plain capital instead, one clear row above it.
struct CAccentedCapital
{
    std::uint32_t Code;
    char Base;
    std::uint32_t LowerCode;
};

constexpr CAccentedCapital AccentedCapitals[] = {
    {0x8A, 'S', 0x9A}, {0x8E, 'Z', 0x9E}, {0x9F, 'Y', 0xFF}, {0xC0, 'A', 0xE0}, {0xC1, 'A', 0xE1},
    {0xC2, 'A', 0xE2}, {0xC3, 'A', 0xE3}, {0xC4, 'A', 0xE4}, {0xC5, 'A', 0xE5}, {0xC8, 'E', 0xE8},
    {0xC9, 'E', 0xE9}, {0xCA, 'E', 0xEA}, {0xCB, 'E', 0xEB}, {0xCC, 'I', 0xEC}, {0xCD, 'I', 0xED},
    {0xCE, 'I', 0xEE}, {0xCF, 'I', 0xEF}, {0xD1, 'N', 0xF1}, {0xD2, 'O', 0xF2}, {0xD3, 'O', 0xF3},
    {0xD4, 'O', 0xF4}, {0xD5, 'O', 0xF5}, {0xD6, 'O', 0xF6}, {0xD9, 'U', 0xF9}, {0xDA, 'U', 0xFA},
    {0xDB, 'U', 0xFB}, {0xDC, 'U', 0xFC}, {0xDD, 'Y', 0xFD}};

CGlyphImage Render_Code(CFont &font, std::uint32_t code)
{
    for (const CAccentedCapital &capital : AccentedCapitals)
    {
        if (capital.Code != code)
            continue;
        CGlyphImage accent =
            Accent_Of(font.Render(Unicode_For_Code(capital.LowerCode)), font.XHeight);
        // Leave one blank row above the capital, unless the accent is too tall for that (the ring).
        const int accent_floor = accent.Row_Floor(accent.Height - 1);
        const int highest_top = BaselineRow - FirstInkRow + 1;
        accent.Top += std::min(CapHeight + 1 - accent_floor, highest_top - accent.Top);
        return Merge(font.Render(static_cast<std::uint32_t>(capital.Base)), accent);
    }
    return font.Render(Unicode_For_Code(code), Stretch_For_Code(code));
}

void Draw_Box(CSheet &sheet, int cell_x, int cell_y)
{
    for (int x = BoxLeft; x <= BoxRight; ++x)
    {
        sheet.Plot(cell_x + x, cell_y + BoxTop, 255);
        sheet.Plot(cell_x + x, cell_y + BoxBottom, 255);
    }
    for (int y = BoxTop; y <= BoxBottom; ++y)
    {
        sheet.Plot(cell_x + BoxLeft, cell_y + y, 255);
        sheet.Plot(cell_x + BoxRight, cell_y + y, 255);
    }
}

void Draw_Glyph(CSheet &sheet, CFont &font, std::uint32_t code, int cell_x, int cell_y)
{
    const CGlyphImage glyph = Render_Code(font, code);
    if (glyph.Width == 0 || glyph.Height == 0)
        throw std::runtime_error("empty glyph for code " + Code_Name("0x", code));

    // Centre the ink rather than the advance box: the renderer ignores the font's spacing anyway,
    // and a centred ink box keeps narrow marks like '|' or '.' in the middle of the 8 px pitch.
    const bool per_mille = code == PerMilleCode;
    const int min_left = per_mille ? PerMilleLeft : FirstInkColumn;
    const int max_right = per_mille ? PerMilleRight : LastInkColumn;
    if (glyph.Width > max_right - min_left + 1)
        throw std::runtime_error("glyph too wide for code " + Code_Name("0x", code));
    const int centred_left = per_mille ? min_left : CentreColumn - (glyph.Width - 1) / 2;
    const int left = std::clamp(centred_left, min_left, max_right - glyph.Width + 1);

    // The row just above the baseline is BaselineRow, so a glyph with Top rows above the
    // baseline starts Top - 1 rows higher.
    const int top = BaselineRow + 1 - glyph.Top;
    if (top < FirstInkRow || top + glyph.Height - 1 > LastInkRow)
        throw std::runtime_error("glyph too tall for code " + Code_Name("0x", code));

    for (int y = 0; y < glyph.Height; ++y)
    {
        for (int x = 0; x < glyph.Width; ++x)
        {
            if (glyph.At(x, y) != 0)
                sheet.Plot(cell_x + left + x, cell_y + top + y, glyph.At(x, y));
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: %s <output.bmp> [font.ttf (default %s)]\n", argv[0],
                     DefaultFont);
        return 2;
    }

    try
    {
        CFont font(argc == 3 ? argv[2] : DefaultFont);
        font.Fit_Cap_Height();

        CSheet sheet;
        for (std::uint32_t code = 0; code < 256; ++code)
        {
            const int cell_x = static_cast<int>(code % CellsPerRow) * CellSize;
            const int cell_y = static_cast<int>(code / CellsPerRow) * CellSize;
            const std::uint32_t unicode = Unicode_For_Code(code);
            if (unicode == Undefined)
                Draw_Box(sheet, cell_x, cell_y);
            else if (unicode != Blank)
                Draw_Glyph(sheet, font, code, cell_x, cell_y);
        }
        sheet.Write_Bmp(argv[1]);
    }
    catch (const std::exception &error)
    {
        std::fprintf(stderr, "fontsheet_gen: %s\n", error.what());
        return 1;
    }
    return 0;
}
