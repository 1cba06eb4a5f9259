// Draws the application icon (IDI_QUILLOMAR): one banana, the saver's own display list under the
// renderer's light, on a transparent background, at 16, 32, 48 and 256 pixels, and writes them
// as one Windows icon file. Each size is drawn Supersampling times larger on an offscreen
// OpenGL context and reduced by averaging, so a pixel's alpha is the share of it the banana
// covers and its colour the mean of the covered samples.
//
// The view is the saver's: looking down the z axis with the light fixed in eye coordinates, the
// banana turned about z only, exactly as CBanana::Draw places it (translate, then rotate). The
// saver's lens is almost parallel (it sees 0.2 % of its distance across), so a parallel
// projection framed on the turned mesh shows the banana as the saver shows it, only larger.
//
// The file: 32-bit BMP entries (colour with alpha, and the one-bit mask for displays without
// alpha) for 16, 32 and 48 pixels, a PNG entry for 256, the layout Windows Vista and later read.
//
// usage: icontool <output.ico>
#include "banana.h"
#include "bananamesh.h"
#include "offscreenframe.h"
#include "platform/gl.h"
#include "render.h"
#include "twutility/twmath.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

constexpr int Sizes[] = {16, 32, 48, 256}; // pixels, each square
constexpr int PngFromSize = 256;           // this size and larger are stored as PNG
constexpr int MaxSupersampling = 16;
constexpr int MaxDrawnSide = 2048;    // pixels of the largest frame drawn
constexpr double RotationAngle = 40.; // degrees, counter-clockwise: tips toward the top right
constexpr double Margin = 0.04;       // of the icon's side, left free on every edge

// The turned mesh's bounding box in world units, centred, in a square with Margin around it.
void Frame_Bounds(double *centre_x, double *centre_y, double *half_side)
{
    const double angle = RotationAngle * PI / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    double left = 1e9, right = -1e9, bottom = 1e9, top = -1e9;
    for (const float *v : BananaVertices)
    {
        const double x = c * v[0] - s * v[1];
        const double y = s * v[0] + c * v[1];
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
    }
    *centre_x = 0.5 * (left + right);
    *centre_y = 0.5 * (bottom + top);
    *half_side = 0.5 * std::max(right - left, top - bottom) / (1.0 - 2.0 * Margin);
}

// The banana drawn side x side pixels into frame (bottom-up RGBA rows), alpha 255 where the mesh
// is and 0 elsewhere.
void Draw_Banana(int side)
{
    double centre_x, centre_y, half_side;
    Frame_Bounds(&centre_x, &centre_y, &half_side);
    glViewport(0, 0, side, side);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(centre_x - half_side, centre_x + half_side, centre_y - half_side, centre_y + half_side,
            -2.0, 2.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(float(RotationAngle), 0.0f, 0.0f, 1.0f);
    glCallList(CBanana::DisplayListId);
    glFinish();
}

// Averages factor x factor blocks of the drawn frame into a top-down RGBA picture with straight
// (not premultiplied) alpha.
std::vector<uint8_t> Reduce(const std::vector<uint8_t> &frame, int size, int factor)
{
    const int side = size * factor;
    std::vector<uint8_t> picture(size_t(size) * size_t(size) * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            uint64_t alpha = 0, colour[3] = {0, 0, 0};
            for (int sy = 0; sy < factor; ++sy)
                for (int sx = 0; sx < factor; ++sx)
                {
                    // The frame's rows run bottom-up, the picture's top-down.
                    const size_t row = size_t(side - 1 - (y * factor + sy));
                    const uint8_t *p = &frame[(row * size_t(side) + size_t(x * factor + sx)) * 4];
                    alpha += p[3];
                    for (int i = 0; i < 3; ++i)
                        colour[i] += uint64_t(p[i]) * p[3];
                }
            uint8_t *out = &picture[(size_t(y) * size_t(size) + size_t(x)) * 4];
            const uint64_t samples = uint64_t(factor) * uint64_t(factor);
            out[3] = uint8_t((alpha + samples / 2) / samples);
            for (int i = 0; i < 3; ++i)
                out[i] = alpha == 0 ? 0 : uint8_t((colour[i] + alpha / 2) / alpha);
        }
    return picture;
}

void Put_16(std::vector<uint8_t> *bytes, uint32_t value)
{
    bytes->push_back(uint8_t(value));
    bytes->push_back(uint8_t(value >> 8));
}

void Put_32(std::vector<uint8_t> *bytes, uint32_t value)
{
    Put_16(bytes, value & 0xFFFF);
    Put_16(bytes, value >> 16);
}

// An icon image in BMP form: the header with twice the height (colour, then mask), bottom-up
// BGRA rows, then the mask, one bit per pixel, rows padded to 32 bits, 1 = transparent.
std::vector<uint8_t> Bmp_Entry(const std::vector<uint8_t> &picture, int size)
{
    const uint32_t mask_row_bytes = uint32_t((size + 31) / 32 * 4);
    const uint32_t image_bytes = uint32_t(size * size * 4) + mask_row_bytes * uint32_t(size);
    std::vector<uint8_t> bytes;
    Put_32(&bytes, 40); // BITMAPINFOHEADER
    Put_32(&bytes, uint32_t(size));
    Put_32(&bytes, uint32_t(size * 2));
    Put_16(&bytes, 1);  // planes
    Put_16(&bytes, 32); // bits per pixel
    Put_32(&bytes, 0);  // BI_RGB
    Put_32(&bytes, image_bytes);
    for (int i = 0; i < 4; ++i)
        Put_32(&bytes, 0); // resolution and palette: unused
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x)
        {
            const uint8_t *p = &picture[(size_t(y) * size_t(size) + size_t(x)) * 4];
            const uint8_t bgra[4] = {p[2], p[1], p[0], p[3]};
            bytes.insert(bytes.end(), bgra, bgra + 4);
        }
    for (int y = size - 1; y >= 0; --y)
    {
        std::vector<uint8_t> row(mask_row_bytes, 0);
        for (int x = 0; x < size; ++x)
            if (picture[(size_t(y) * size_t(size) + size_t(x)) * 4 + 3] < 128)
                row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    return bytes;
}

bool Png_Entry(const std::vector<uint8_t> &picture, int size, std::vector<uint8_t> *bytes)
{
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(size);
    image.height = png_uint_32(size);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t length = 0;
    if (!png_image_write_to_memory(&image, nullptr, &length, 0, picture.data(), 0, nullptr))
        return false;
    bytes->resize(length);
    return png_image_write_to_memory(&image, bytes->data(), &length, 0, picture.data(), 0,
                                     nullptr) != 0 &&
           length == bytes->size();
}

// ICONDIR, one ICONDIRENTRY per image, then the images in the same order.
std::vector<uint8_t> Icon_File(const std::vector<std::vector<uint8_t>> &images)
{
    std::vector<uint8_t> file;
    Put_16(&file, 0); // reserved
    Put_16(&file, 1); // an icon, not a cursor
    Put_16(&file, uint32_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i)
    {
        const int size = Sizes[i];
        file.push_back(uint8_t(size >= 256 ? 0 : size)); // 0 stands for 256
        file.push_back(uint8_t(size >= 256 ? 0 : size));
        file.push_back(0); // no palette
        file.push_back(0);
        Put_16(&file, 1);  // planes
        Put_16(&file, 32); // bits per pixel
        Put_32(&file, uint32_t(images[i].size()));
        Put_32(&file, offset);
        offset += uint32_t(images[i].size());
    }
    for (const std::vector<uint8_t> &image : images)
        file.insert(file.end(), image.begin(), image.end());
    return file;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: %s <output.ico>\n", argv[0]);
        return 2;
    }
    COffscreenFrame frame;
    if (!frame.Open(argv[0], MaxDrawnSide, MaxDrawnSide))
        return 1;
    // The renderer's state: depth test, back faces culled, light 0 set under the identity, so
    // that it stays fixed to the eye.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    CRender::Init_Lights();
    glEnable(GL_LIGHTING);
    CBanana::Build_Display_List();

    std::vector<std::vector<uint8_t>> images;
    bool written = true;
    for (int size : Sizes)
    {
        const int factor = std::min(MaxSupersampling, MaxDrawnSide / size);
        const int side = size * factor;
        // The frame is redescribed at each size so that its rows are side pixels long.
        frame.Resize(side, side);
        Draw_Banana(side);
        const std::vector<uint8_t> picture = Reduce(frame.Pixels, size, factor);
        images.push_back({});
        if (size >= PngFromSize)
            written = written && Png_Entry(picture, size, &images.back());
        else
            images.back() = Bmp_Entry(picture, size);
    }

    const std::vector<uint8_t> file = Icon_File(images);
    FILE *output = written ? fopen(argv[1], "wb") : nullptr;
    if (output != nullptr)
    {
        written = fwrite(file.data(), 1, file.size(), output) == file.size();
        written = fclose(output) == 0 && written;
    }
    if (output == nullptr || !written)
    {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
