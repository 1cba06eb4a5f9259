// Checks the committed font sheet (resources/fontsheet.bmp) against the layout the text renderer
// relies on, and that fontsheet_gen still reproduces it.
//
// FONTSHEET_BMP names the sheet, FONTSHEET_GEN the built generator; tests needing an unset
// variable are skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr int SheetSize = 256;
constexpr int CellSize = 16;
constexpr std::size_t FileHeaderBytes = 14;
constexpr std::size_t InfoHeaderBytes = 40;
constexpr std::size_t PixelBytes = SheetSize * SheetSize * 3;

// Glyph extents are measured on pixels of at least half coverage; anti-aliasing may leave fainter
// fringe pixels, which are allowed one row beyond that extent. "Lit" means any non-zero pixel and
// is what the no-spill checks use, since the renderer blends every non-zero texel.
constexpr int StrongInk = 128;
constexpr int FringeRows = 1;
// Two cells count as different only if some pixel differs by a quarter of full scale or more;
// smaller differences do not survive being drawn 8 px tall over a moving scene.
constexpr int VisibleDifference = 64;

constexpr int CapTopRow = 4;
constexpr int BaselineRow = 11;
constexpr int LowestDescenderRow = 13;
constexpr int PerMilleCode = 0x89;

bool Is_Undefined(int code)
{
    return code < 0x20 || code == 0x7F || code == 0x81 || code == 0x8D || code == 0x8F ||
           code == 0x90 || code == 0x9D;
}

bool Is_Blank(int code)
{
    return code == 0x20 || code == 0xA0;
}

bool Is_Printable(int code)
{
    return !Is_Undefined(code) && !Is_Blank(code);
}

std::string Code_Name(int code)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(code));
    return text;
}

std::vector<std::uint8_t> Read_File(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

class CExtent
{
public:
    bool Empty = true;
    int Top = CellSize;
    int Bottom = -1;
    int Left = CellSize;
    int Right = -1;
};

class CCell
{
public:
    std::array<std::uint8_t, CellSize * CellSize> Grey{};

    std::uint8_t At(int x, int y) const { return Grey[static_cast<std::size_t>(y * CellSize + x)]; }

    CExtent Extent(int threshold) const
    {
        CExtent extent;
        for (int y = 0; y < CellSize; ++y)
        {
            for (int x = 0; x < CellSize; ++x)
            {
                if (At(x, y) < threshold)
                    continue;
                extent.Empty = false;
                extent.Top = std::min(extent.Top, y);
                extent.Bottom = std::max(extent.Bottom, y);
                extent.Left = std::min(extent.Left, x);
                extent.Right = std::max(extent.Right, x);
            }
        }
        return extent;
    }

    // Rows from first_row down, compared pixel for pixel.
    bool Same_From_Row(const CCell &other, int first_row) const
    {
        return std::equal(Grey.begin() + first_row * CellSize, Grey.end(),
                          other.Grey.begin() + first_row * CellSize);
    }

    int Largest_Difference(const CCell &other) const
    {
        int largest = 0;
        for (std::size_t i = 0; i < Grey.size(); ++i)
            largest = std::max(largest, std::abs(int(Grey[i]) - int(other.Grey[i])));
        return largest;
    }
};

class CFontSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char *path = FONTSHEET_BMP;
        Bytes = Read_File(path);
        ASSERT_EQ(Bytes.size(), FileHeaderBytes + InfoHeaderBytes + PixelBytes)
            << "cannot read a 256 x 256 24-bit sheet from " << path;
    }

    std::uint32_t Le(std::size_t offset, int bytes) const
    {
        std::uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | Bytes[offset + static_cast<std::size_t>(i)];
        return value;
    }

    // Channel 0 = blue, 1 = green, 2 = red; y counts from the top of the picture, while the file
    // stores the bottom row first.
    std::uint8_t Channel(int x, int y, int channel) const
    {
        const std::size_t row = static_cast<std::size_t>(SheetSize - 1 - y);
        return Bytes[FileHeaderBytes + InfoHeaderBytes + (row * SheetSize + x) * 3 + channel];
    }

    CCell Cell(int code) const
    {
        CCell cell;
        const int left = (code % 16) * CellSize;
        const int top = (code / 16) * CellSize;
        for (int y = 0; y < CellSize; ++y)
        {
            for (int x = 0; x < CellSize; ++x)
                cell.Grey[static_cast<std::size_t>(y * CellSize + x)] =
                    Channel(left + x, top + y, 0);
        }
        return cell;
    }

    std::vector<std::uint8_t> Bytes;
};

TEST_F(CFontSheetTest, Header_Fields_Are_Exact)
{
    EXPECT_EQ(Bytes[0], 'B');
    EXPECT_EQ(Bytes[1], 'M');
    EXPECT_EQ(Le(2, 4), Bytes.size()) << "file size";
    EXPECT_EQ(Le(6, 2), 0u);
    EXPECT_EQ(Le(8, 2), 0u);
    EXPECT_EQ(Le(10, 4), 54u) << "pixel offset";

    EXPECT_EQ(Le(14, 4), 40u) << "header size";
    EXPECT_EQ(Le(18, 4), 256u) << "width";
    EXPECT_EQ(Le(22, 4), 256u) << "height (positive: bottom-up)";
    EXPECT_EQ(Le(26, 2), 1u) << "planes";
    EXPECT_EQ(Le(28, 2), 24u) << "bit count";
    EXPECT_EQ(Le(30, 4), 0u) << "compression";
    EXPECT_EQ(Le(34, 4), 196608u) << "image size";
    EXPECT_EQ(Le(38, 4), 2835u) << "x pixels per metre";
    EXPECT_EQ(Le(42, 4), 2835u) << "y pixels per metre";
    EXPECT_EQ(Le(46, 4), 0u) << "colours used";
    EXPECT_EQ(Le(50, 4), 0u) << "colours important";
}

TEST_F(CFontSheetTest, Every_Pixel_Is_Grey)
{
    int coloured = 0;
    for (int y = 0; y < SheetSize; ++y)
    {
        for (int x = 0; x < SheetSize; ++x)
        {
            const std::uint8_t blue = Channel(x, y, 0);
            if (Channel(x, y, 1) != blue || Channel(x, y, 2) != blue)
            {
                if (++coloured <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is not grey";
            }
        }
    }
    EXPECT_EQ(coloured, 0);
}

TEST_F(CFontSheetTest, Blank_And_No_Break_Space_Are_Black)
{
    for (int code : {0x20, 0xA0})
        EXPECT_TRUE(Cell(code).Extent(1).Empty) << Code_Name(code);
}

TEST_F(CFontSheetTest, Every_Printable_Character_Has_Ink)
{
    for (int code = 0; code < 256; ++code)
    {
        if (Is_Printable(code))
        {
            EXPECT_FALSE(Cell(code).Extent(StrongInk).Empty) << Code_Name(code);
        }
    }
}

// Text is drawn as 16 px squares 8 px apart, so anything outside the glyph area lands on a
// neighbour; the outer ring of each cell must stay black so texture filtering cannot bleed.
TEST_F(CFontSheetTest, Ink_Stays_Inside_Its_Cell)
{
    for (int code = 0; code < 256; ++code)
    {
        const CExtent lit = Cell(code).Extent(1);
        if (lit.Empty)
            continue;
        EXPECT_GE(lit.Top, 1) << Code_Name(code);
        EXPECT_LE(lit.Bottom, 14) << Code_Name(code);
        EXPECT_GE(lit.Left, code == PerMilleCode ? 0 : 2) << Code_Name(code);
        EXPECT_LE(lit.Right, code == PerMilleCode ? 14 : 12) << Code_Name(code);
    }
}

// Glyph centres sit one advance (8 px) apart only if every glyph is centred on the same column;
// half a pixel either way is the most an odd or even ink width allows.
TEST_F(CFontSheetTest, Glyphs_Are_Centred_On_Column_Seven)
{
    for (int code = 0; code < 256; ++code)
    {
        if (!Is_Printable(code) || code == PerMilleCode)
            continue;
        const CExtent lit = Cell(code).Extent(1);
        const int twice_centre = lit.Left + lit.Right;
        EXPECT_GE(twice_centre, 13) << Code_Name(code);
        EXPECT_LE(twice_centre, 15) << Code_Name(code);
    }
}

TEST_F(CFontSheetTest, Capitals_Span_The_Cap_Height)
{
    for (int code = 'A'; code <= 'Z'; ++code)
    {
        const CCell cell = Cell(code);
        const CExtent strong = cell.Extent(StrongInk);
        const CExtent lit = cell.Extent(1);
        EXPECT_EQ(strong.Top, CapTopRow) << char(code);
        EXPECT_GE(lit.Top, CapTopRow - FringeRows) << char(code);
        if (code == 'Q')
        {
            // Its tail dips one row below the baseline, under a body that sits on it.
            EXPECT_EQ(strong.Bottom, BaselineRow + 1);
            EXPECT_GE(lit.Bottom, BaselineRow + 1);
            EXPECT_LE(lit.Bottom, BaselineRow + 1 + FringeRows);
        }
        else
        {
            EXPECT_EQ(strong.Bottom, BaselineRow) << char(code);
            EXPECT_LE(lit.Bottom, BaselineRow + FringeRows) << char(code);
        }
    }
}

TEST_F(CFontSheetTest, Descenders_Reach_Below_The_Baseline)
{
    for (char letter : {'g', 'j', 'p', 'q', 'y'})
    {
        const CCell cell = Cell(letter);
        EXPECT_GT(cell.Extent(StrongInk).Bottom, BaselineRow) << letter;
        EXPECT_LE(cell.Extent(1).Bottom, LowestDescenderRow) << letter;
    }
}

// Catches a sheet laid out in the wrong order: letters of one shape class must sit where that
// class belongs.
TEST_F(CFontSheetTest, Lower_Case_Letters_Share_One_X_Height)
{
    const int x_height_top = Cell('x').Extent(StrongInk).Top;
    EXPECT_GT(x_height_top, CapTopRow) << "x-height must be below the cap height";
    for (char letter : std::string("acemnorsuvwxz"))
    {
        const CExtent strong = Cell(letter).Extent(StrongInk);
        EXPECT_EQ(strong.Top, x_height_top) << letter;
        EXPECT_EQ(strong.Bottom, BaselineRow) << letter;
    }
    for (char letter : std::string("bdhkl"))
    {
        const CExtent strong = Cell(letter).Extent(StrongInk);
        EXPECT_LE(strong.Top, CapTopRow) << letter << " has no ascender";
        EXPECT_EQ(strong.Bottom, BaselineRow) << letter;
    }
    EXPECT_GE(Cell('_').Extent(StrongInk).Top, BaselineRow + 1) << "underscore sits below";
    EXPECT_LT(Cell('-').Extent(StrongInk).Top, x_height_top + 4) << "hyphen sits mid-height";
    EXPECT_GT(Cell('-').Extent(StrongInk).Top, x_height_top);
}

// An accented letter at its Windows-1252 code is the base letter with a mark above it: the rows
// from the base letter's top down are identical, and the mark is ink above them.
TEST_F(CFontSheetTest, Accented_Letters_Keep_Their_Base_Letter)
{
    const std::vector<std::pair<int, char>> accented = {
        {0xC0, 'A'}, {0xC1, 'A'}, {0xC2, 'A'}, {0xC3, 'A'}, {0xC4, 'A'}, {0xC5, 'A'}, {0xC8, 'E'},
        {0xC9, 'E'}, {0xCA, 'E'}, {0xCB, 'E'}, {0xCC, 'I'}, {0xCD, 'I'}, {0xCE, 'I'}, {0xCF, 'I'},
        {0xD1, 'N'}, {0xD2, 'O'}, {0xD3, 'O'}, {0xD4, 'O'}, {0xD5, 'O'}, {0xD6, 'O'}, {0xD9, 'U'},
        {0xDA, 'U'}, {0xDB, 'U'}, {0xDC, 'U'}, {0xDD, 'Y'}, {0x8A, 'S'}, {0x8E, 'Z'}, {0x9F, 'Y'},
        {0xE0, 'a'}, {0xE1, 'a'}, {0xE2, 'a'}, {0xE3, 'a'}, {0xE4, 'a'}, {0xE5, 'a'}, {0xE8, 'e'},
        {0xE9, 'e'}, {0xEA, 'e'}, {0xEB, 'e'}, {0xEC, 'i'}, {0xED, 'i'}, {0xEE, 'i'}, {0xEF, 'i'},
        {0xF1, 'n'}, {0xF2, 'o'}, {0xF3, 'o'}, {0xF4, 'o'}, {0xF5, 'o'}, {0xF6, 'o'}, {0xF9, 'u'},
        {0xFA, 'u'}, {0xFB, 'u'}, {0xFC, 'u'}, {0xFD, 'y'}, {0xFF, 'y'}, {0x9A, 's'}, {0x9E, 'z'}};

    // The dot of i is replaced by the accent, so its body starts at the x-height.
    const int x_height_top = Cell('x').Extent(StrongInk).Top;
    for (const auto &[code, base] : accented)
    {
        const CCell letter = Cell(code);
        const int body_top = base == 'i' ? x_height_top : Cell(base).Extent(StrongInk).Top;
        EXPECT_TRUE(letter.Same_From_Row(Cell(base), body_top))
            << Code_Name(code) << " does not carry " << base;
        EXPECT_LT(letter.Extent(StrongInk).Top, body_top - 1)
            << Code_Name(code) << " has no mark clear above " << base;
    }
}

// Codes without a character show a hollow rectangle: a one-pixel full-white outline around a
// black interior, as tall as a capital, the same in every such cell.
TEST_F(CFontSheetTest, Undefined_Codes_Hold_The_Empty_Box)
{
    const CCell box = Cell(0x81);
    const CExtent extent = box.Extent(1);
    ASSERT_FALSE(extent.Empty);
    EXPECT_EQ(extent.Top, CapTopRow);
    EXPECT_EQ(extent.Bottom, BaselineRow);
    EXPECT_GE(extent.Right - extent.Left, 4) << "too narrow to read as a box";
    for (int y = 0; y < CellSize; ++y)
    {
        for (int x = 0; x < CellSize; ++x)
        {
            const bool inside =
                y >= extent.Top && y <= extent.Bottom && x >= extent.Left && x <= extent.Right;
            const bool edge = inside && (y == extent.Top || y == extent.Bottom ||
                                         x == extent.Left || x == extent.Right);
            EXPECT_EQ(box.At(x, y), edge ? 255 : 0) << "(" << x << ", " << y << ")";
        }
    }

    for (int code = 0; code < 256; ++code)
    {
        const bool holds_box = Cell(code).Grey == box.Grey;
        EXPECT_EQ(holds_box, Is_Undefined(code)) << Code_Name(code);
    }
}

// Two codes drawing the same picture would mean a mapping slip. The soft hyphen is drawn as a
// hyphen on purpose, and the font draws the single low quote exactly as a comma.
TEST_F(CFontSheetTest, Distinct_Characters_Have_Distinct_Cells)
{
    const std::vector<std::pair<int, int>> alike = {{0x2D, 0xAD}, {0x2C, 0x82}};
    for (const auto &[first, second] : alike)
        EXPECT_EQ(Cell(first).Grey, Cell(second).Grey) << Code_Name(first) << Code_Name(second);

    std::vector<std::pair<int, CCell>> cells;
    for (int code = 0; code < 256; ++code)
    {
        if (Is_Printable(code))
            cells.emplace_back(code, Cell(code));
    }
    for (std::size_t i = 0; i < cells.size(); ++i)
    {
        for (std::size_t j = i + 1; j < cells.size(); ++j)
        {
            const std::pair<int, int> codes(cells[i].first, cells[j].first);
            if (std::find(alike.begin(), alike.end(), codes) != alike.end())
                continue;
            EXPECT_GE(cells[i].second.Largest_Difference(cells[j].second), VisibleDifference)
                << Code_Name(codes.first) << " and " << Code_Name(codes.second) << " look alike";
        }
    }
}

TEST(CFontSheetGenerator, Reproduces_The_Committed_Sheet)
{
    const char *sheet = FONTSHEET_BMP;
    const char *generator = FONTSHEET_GEN;

    const std::string output = ::testing::TempDir() + "fontsheet_regenerated.bmp";
    std::remove(output.c_str());
    const std::string command = "\"" + std::string(generator) + "\" \"" + output + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const std::vector<std::uint8_t> expected = Read_File(sheet);
    const std::vector<std::uint8_t> actual = Read_File(output);
    std::remove(output.c_str());
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(actual.size(), expected.size());
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), actual.begin());
    EXPECT_TRUE(mismatch.first == expected.end())
        << "first difference at byte " << (mismatch.first - expected.begin());
}

} // namespace
