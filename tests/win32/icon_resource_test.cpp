// Quillomar.scr, opened by the system as a file of resources (as the shell does to show it),
// carries application icon 107 at 16, 32, 48 and 256 pixels, 32 bits each, and the system loads
// each size as it is, transparent around the banana.
//
// QUILLOMAR_SCR names the built saver.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{

constexpr int IconId = 107;
constexpr int Sizes[] = {16, 32, 48, 256};

class IconResourceTest : public ::testing::Test
{
protected:
    HMODULE Module = NULL;

    void SetUp() override
    {
        Module = LoadLibraryExA(QUILLOMAR_SCR, NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, Module) << QUILLOMAR_SCR << ": " << GetLastError();
    }

    void TearDown() override
    {
        if (Module != NULL)
            FreeLibrary(Module);
    }

    // The group resource: the directory of the icon's images.
    const BYTE *Group(DWORD *size) const
    {
        HRSRC found = FindResourceA(Module, MAKEINTRESOURCEA(IconId), MAKEINTRESOURCEA(14));
        if (found == NULL)
            return nullptr;
        *size = SizeofResource(Module, found);
        return static_cast<const BYTE *>(LockResource(LoadResource(Module, found)));
    }
};

// The colour bitmap of an icon as top-down BGRA pixels.
std::vector<uint8_t> Icon_Pixels(HICON icon, int *width, int *height)
{
    std::vector<uint8_t> pixels;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return pixels;
    BITMAP bitmap{};
    GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
    *width = bitmap.bmWidth;
    *height = bitmap.bmHeight;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = -bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    pixels.resize(size_t(bitmap.bmWidth) * size_t(bitmap.bmHeight) * 4);
    HDC screen = GetDC(NULL);
    if (GetDIBits(screen, info.hbmColor, 0, UINT(bitmap.bmHeight), pixels.data(), &format,
                  DIB_RGB_COLORS) != bitmap.bmHeight)
        pixels.clear();
    ReleaseDC(NULL, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

} // namespace

TEST_F(IconResourceTest, TheDirectoryListsTheFourSizesIn32Bits)
{
    DWORD size = 0;
    const BYTE *group = Group(&size);
    ASSERT_NE(nullptr, group) << GetLastError();
    // GRPICONDIR: reserved, type 1, count; then 14-byte entries.
    ASSERT_GE(size, 6u);
    const int count = group[4] | group[5] << 8;
    ASSERT_EQ(4, count);
    ASSERT_GE(size, DWORD(6 + 14 * count));
    for (int i = 0; i < count; ++i)
    {
        const BYTE *entry = group + 6 + 14 * i;
        EXPECT_EQ(Sizes[i], entry[0] == 0 ? 256 : entry[0]);
        EXPECT_EQ(entry[0], entry[1]) << "square";
        EXPECT_EQ(32, entry[6] | entry[7] << 8) << Sizes[i];
    }
}

TEST_F(IconResourceTest, EachSizeIsFoundAndLoadedAsItIs)
{
    DWORD group_size = 0;
    const BYTE *group = Group(&group_size);
    ASSERT_NE(nullptr, group);
    for (int size : Sizes)
    {
        // The image the system picks for this size is one drawn at this size.
        const int image_id = LookupIconIdFromDirectoryEx(const_cast<BYTE *>(group), TRUE, size,
                                                         size, LR_DEFAULTCOLOR);
        ASSERT_NE(0, image_id) << size;
        HRSRC image = FindResourceA(Module, MAKEINTRESOURCEA(image_id), MAKEINTRESOURCEA(3));
        ASSERT_NE(nullptr, image) << size;
        HICON from_image = CreateIconFromResourceEx(
            static_cast<BYTE *>(LockResource(LoadResource(Module, image))),
            SizeofResource(Module, image), TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
        ASSERT_NE(nullptr, from_image) << size;
        int width = 0, height = 0;
        EXPECT_FALSE(Icon_Pixels(from_image, &width, &height).empty()) << size;
        EXPECT_EQ(size, width);
        EXPECT_EQ(size, height);
        DestroyIcon(from_image);

        HICON loaded = static_cast<HICON>(
            LoadImageA(Module, MAKEINTRESOURCEA(IconId), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, loaded) << size << ": " << GetLastError();
        const std::vector<uint8_t> pixels = Icon_Pixels(loaded, &width, &height);
        DestroyIcon(loaded);
        ASSERT_EQ(size, width);
        ASSERT_EQ(size, height);
        ASSERT_EQ(size_t(size) * size_t(size) * 4, pixels.size());
        // Corners transparent; a yellow, opaque body.
        EXPECT_EQ(0, pixels[3]) << size << " top left";
        EXPECT_EQ(0, pixels[pixels.size() - 1]) << size << " bottom right";
        int yellow = 0;
        for (size_t p = 0; p < pixels.size(); p += 4)
            yellow +=
                pixels[p + 3] == 255 && pixels[p + 2] > 150 && pixels[p + 1] > 150 && pixels[p] < 60
                    ? 1
                    : 0;
        EXPECT_GT(yellow, size * size / 40) << size;
    }
}
