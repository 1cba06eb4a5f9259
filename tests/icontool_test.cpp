// The committed application icon (resources/quillomar.ico): icontool still draws it byte for
// byte, and the file holds the four sizes Windows asks for, on a transparent background.
//
// QUILLOMAR_ICO names the committed icon, ICONTOOL the built tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

std::vector<uint8_t> Read_File(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

uint32_t Get_16(const std::vector<uint8_t> &bytes, size_t at)
{
    return at + 2 <= bytes.size() ? uint32_t(bytes[at] | bytes[at + 1] << 8) : 0xFFFFFFFFu;
}

uint32_t Get_32(const std::vector<uint8_t> &bytes, size_t at)
{
    return Get_16(bytes, at) | Get_16(bytes, at + 2) << 16;
}

class CEntry
{
public:
    int Size;        // pixels; the directory's 0 read as 256
    uint32_t Bits;   // per pixel
    uint32_t Bytes;  // of the image
    uint32_t Offset; // of the image in the file
};

std::vector<CEntry> Directory(const std::vector<uint8_t> &file)
{
    std::vector<CEntry> entries;
    if (Get_16(file, 0) != 0 || Get_16(file, 2) != 1)
        return entries;
    const uint32_t count = Get_16(file, 4);
    for (uint32_t i = 0; i < count && 6 + 16 * (i + 1) <= file.size(); ++i)
    {
        const size_t at = 6 + 16 * i;
        entries.push_back({file[at] == 0 ? 256 : file[at], Get_16(file, at + 6),
                           Get_32(file, at + 8), Get_32(file, at + 12)});
    }
    return entries;
}

} // namespace

TEST(IconToolTest, ReproducesTheCommittedIcon)
{
    char directory[] = "/tmp/quillomar-icon-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(directory));
    const std::string output = std::string(directory) + "/quillomar.ico";
    const std::string command = std::string(ICONTOOL) + " '" + output + "'";
    const int status = system(command.c_str());
    const std::vector<uint8_t> drawn = Read_File(output);
    remove(output.c_str());
    rmdir(directory);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    const std::vector<uint8_t> committed = Read_File(QUILLOMAR_ICO);
    ASSERT_FALSE(committed.empty());
    EXPECT_EQ(committed.size(), drawn.size());
    EXPECT_TRUE(committed == drawn) << "regenerate: icontool resources/quillomar.ico";
}

TEST(IconToolTest, HoldsFourSizesOfTransparentBanana)
{
    const std::vector<uint8_t> file = Read_File(QUILLOMAR_ICO);
    const std::vector<CEntry> entries = Directory(file);
    ASSERT_EQ(4u, entries.size());
    const int sizes[] = {16, 32, 48, 256};
    for (size_t i = 0; i < entries.size(); ++i)
    {
        const CEntry &entry = entries[i];
        EXPECT_EQ(sizes[i], entry.Size);
        EXPECT_EQ(32u, entry.Bits);
        ASSERT_LE(size_t(entry.Offset) + entry.Bytes, file.size()) << entry.Size;
        if (entry.Size == 256)
        {
            const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
            EXPECT_TRUE(std::equal(signature, signature + 8, file.begin() + entry.Offset));
            continue;
        }
        // A 32-bit BMP with twice the height (colour and mask).
        const size_t header = entry.Offset;
        EXPECT_EQ(40u, Get_32(file, header));
        EXPECT_EQ(uint32_t(entry.Size), Get_32(file, header + 4));
        EXPECT_EQ(uint32_t(2 * entry.Size), Get_32(file, header + 8));
        EXPECT_EQ(32u, Get_16(file, header + 14));
        const size_t pixels = size_t(entry.Size) * size_t(entry.Size);
        const size_t mask_bytes = size_t((entry.Size + 31) / 32 * 4) * size_t(entry.Size);
        EXPECT_EQ(40 + pixels * 4 + mask_bytes, size_t(entry.Bytes));
        // Transparent around the banana, opaque on it, and a yellow body.
        int clear = 0, opaque = 0, yellow = 0;
        for (size_t p = 0; p < pixels; ++p)
        {
            const uint8_t *bgra = &file[header + 40 + p * 4];
            clear += bgra[3] == 0 ? 1 : 0;
            opaque += bgra[3] == 255 ? 1 : 0;
            yellow += bgra[3] == 255 && bgra[2] > 150 && bgra[1] > 150 && bgra[0] < 60 ? 1 : 0;
        }
        EXPECT_GT(clear, int(pixels / 3)) << entry.Size;
        EXPECT_GT(opaque, int(pixels / 20)) << entry.Size;
        EXPECT_GT(yellow, 0) << entry.Size;
        const uint8_t *corner = &file[header + 40]; // bottom left
        EXPECT_EQ(0, corner[3]) << entry.Size;
    }
}
