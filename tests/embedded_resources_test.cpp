// The bitmaps compiled into the program and the reader that hands out their pixels: only what
// is 24-bit, uncompressed and bottom-up with every row inside the file gets through, whatever
// the header claims.
#include "platform/embedded_resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace
{

std::vector<uint8_t> Read_File(const char *path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

void Put_U32(std::vector<uint8_t> &bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + size_t(i)] = uint8_t(value >> (8 * i));
}

void Put_U16(std::vector<uint8_t> &bytes, size_t offset, uint16_t value)
{
    bytes[offset] = uint8_t(value);
    bytes[offset + 1] = uint8_t(value >> 8);
}

// A well-formed 3 x 2 file: 9 bytes of pixels per row, padded to 12.
std::vector<uint8_t> Small_Bmp()
{
    std::vector<uint8_t> bytes(54 + 2 * 12, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put_U32(bytes, 2, uint32_t(bytes.size()));
    Put_U32(bytes, 10, 54);
    Put_U32(bytes, 14, 40);
    Put_U32(bytes, 18, 3);
    Put_U32(bytes, 22, 2);
    Put_U16(bytes, 26, 1);
    Put_U16(bytes, 28, 24);
    Put_U32(bytes, 34, 24);
    for (size_t i = 54; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i);
    return bytes;
}

} // namespace

TEST(BmpFile, WellFormedFilesGiveTheirSizeAndPixels)
{
    struct Case
    {
        const char *Why;
        std::function<void(std::vector<uint8_t> &)> Change;
        size_t PixelOffset;
    };
    const Case cases[] = {
        {"as written", [](std::vector<uint8_t> &) {}, 54},
        {"a longer info header (version 5, 124 bytes)",
         [](std::vector<uint8_t> &b)
         {
             b.insert(b.begin() + 54, 84, 0);
             Put_U32(b, 14, 124);
             Put_U32(b, 10, 138);
         },
         138},
        {"a gap before the pixels",
         [](std::vector<uint8_t> &b)
         {
             b.insert(b.begin() + 54, 10, 0xEE);
             Put_U32(b, 10, 64);
         },
         64},
        {"trailing bytes after the pixels", [](std::vector<uint8_t> &b) { b.push_back(0); }, 54},
        {"the file size field is not relied on", [](std::vector<uint8_t> &b) { Put_U32(b, 2, 0); },
         54},
    };
    for (const Case &c : cases)
    {
        std::vector<uint8_t> bytes = Small_Bmp();
        c.Change(bytes);
        Platform::CBitmapBits bits{};
        ASSERT_TRUE(Platform::Parse_Bmp_File(bytes.data(), bytes.size(), &bits)) << c.Why;
        EXPECT_EQ(3, bits.Width) << c.Why;
        EXPECT_EQ(2, bits.Height) << c.Why;
        EXPECT_EQ(bytes.data() + c.PixelOffset, bits.Bits) << c.Why;
    }
}

TEST(BmpFile, AnythingElseIsRefused)
{
    struct Case
    {
        const char *Why;
        std::function<void(std::vector<uint8_t> &)> Change;
    };
    const Case cases[] = {
        {"no magic", [](std::vector<uint8_t> &b) { b[1] = 'A'; }},
        {"cut inside the info header", [](std::vector<uint8_t> &b) { b.resize(53); }},
        {"cut inside the file header", [](std::vector<uint8_t> &b) { b.resize(10); }},
        {"empty", [](std::vector<uint8_t> &b) { b.clear(); }},
        {"last row one byte short", [](std::vector<uint8_t> &b) { b.pop_back(); }},
        {"a core header of 12 bytes", [](std::vector<uint8_t> &b) { Put_U32(b, 14, 12); }},
        {"info header reaching past the pixel offset",
         [](std::vector<uint8_t> &b) { Put_U32(b, 14, 41); }},
        {"pixel offset inside the headers", [](std::vector<uint8_t> &b) { Put_U32(b, 10, 53); }},
        {"pixel offset past the end",
         [](std::vector<uint8_t> &b) { Put_U32(b, 10, uint32_t(b.size() + 1)); }},
        {"pixel offset at the 32-bit limit",
         [](std::vector<uint8_t> &b) { Put_U32(b, 10, UINT32_MAX); }},
        {"info header size at the 32-bit limit",
         [](std::vector<uint8_t> &b) { Put_U32(b, 14, UINT32_MAX); }},
        {"8 bits per pixel", [](std::vector<uint8_t> &b) { Put_U16(b, 28, 8); }},
        {"32 bits per pixel", [](std::vector<uint8_t> &b) { Put_U16(b, 28, 32); }},
        {"run-length compressed", [](std::vector<uint8_t> &b) { Put_U32(b, 30, 1); }},
        {"bit fields", [](std::vector<uint8_t> &b) { Put_U32(b, 30, 3); }},
        {"two planes", [](std::vector<uint8_t> &b) { Put_U16(b, 26, 2); }},
        {"top-down rows (negative height)", [](std::vector<uint8_t> &b) { Put_U32(b, 22, -2); }},
        {"zero height", [](std::vector<uint8_t> &b) { Put_U32(b, 22, 0); }},
        {"zero width", [](std::vector<uint8_t> &b) { Put_U32(b, 18, 0); }},
        {"negative width", [](std::vector<uint8_t> &b) { Put_U32(b, 18, -3); }},
        {"width one pixel too many for the rows",
         [](std::vector<uint8_t> &b) { Put_U32(b, 18, 5); }},
        {"largest width", [](std::vector<uint8_t> &b) { Put_U32(b, 18, INT32_MAX); }},
        {"largest height", [](std::vector<uint8_t> &b) { Put_U32(b, 22, INT32_MAX); }},
        {"largest width and height", [](std::vector<uint8_t> &b) {
             Put_U32(b, 18, INT32_MAX);
             Put_U32(b, 22, INT32_MAX);
         }},
    };
    for (const Case &c : cases)
    {
        std::vector<uint8_t> bytes = Small_Bmp();
        c.Change(bytes);
        Platform::CBitmapBits bits{};
        EXPECT_FALSE(Platform::Parse_Bmp_File(bytes.data(), bytes.size(), &bits)) << c.Why;
        EXPECT_EQ(nullptr, bits.Bits) << c.Why << ": nothing handed out";
    }
    Platform::CBitmapBits bits{};
    EXPECT_FALSE(Platform::Parse_Bmp_File(nullptr, 0, &bits));
}

TEST(EmbeddedResources, TheFontSheetIsBitmap163WithTheFilesBytes)
{
    const std::vector<uint8_t> file = Read_File(FONTSHEET_BMP);
    ASSERT_EQ(196662u, file.size()) << FONTSHEET_BMP;
    const Platform::CEmbeddedResource *sheet = Platform::Find_Embedded_Resource(163);
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(163, sheet->Id);
    ASSERT_EQ(file.size(), sheet->Size);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), sheet->Bytes));
}

TEST(EmbeddedResources, OnlyTheLow16BitsOfAnIdCount)
{
    const Platform::CEmbeddedResource *sheet = Platform::Find_Embedded_Resource(163);
    ASSERT_NE(nullptr, sheet);
    const struct
    {
        int Id;
        const Platform::CEmbeddedResource *Expected;
    } cases[] = {
        {163 + 65536, sheet},   {163 + 5 * 65536, sheet}, {163 - 65536, sheet},
        {INT_MIN + 163, sheet}, {164, nullptr},           {162, nullptr},
        {0, nullptr},           {65536, nullptr},         {-1, nullptr},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.Expected, Platform::Find_Embedded_Resource(c.Id)) << c.Id;
}

TEST(EmbeddedResources, EveryEntryIsAReadableBitmapWithItsOwnId)
{
    ASSERT_GE(Platform::NumEmbeddedResources, 1);
    for (int i = 0; i < Platform::NumEmbeddedResources; ++i)
    {
        const Platform::CEmbeddedResource &entry = Platform::EmbeddedResources[i];
        EXPECT_EQ(&entry, Platform::Find_Embedded_Resource(entry.Id)) << entry.Id;
        Platform::CBitmapBits bits{};
        EXPECT_TRUE(Platform::Parse_Bmp_File(entry.Bytes, entry.Size, &bits)) << entry.Id;
    }
}
