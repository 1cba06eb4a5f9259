// Renders the Introduction page's picture (IDB_INTRODUCTION): bananas on black drawn by the saver's
// own renderer and scene camera on an offscreen OpenGL context, with the product name in the
// texture font enlarged four times, and writes it as a 24-bit bottom-up BMP file.
//
// usage: intropicture <output.bmp>
#include "banana.h"
#include "offscreenframe.h"
#include "platform/gl.h"
#include "render.h"
#include "resolution.h"
#include "texturefont.h"
#include "twutility/twutility.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace
{

constexpr int PictureWidth = 548; // pixels, as the page's frame expects
constexpr int PictureHeight = 199;
constexpr int TextScale = 4; // picture pixels per font pixel
constexpr double TitleY = 0.5;

// Where a banana shows: fractions of the picture from its left and top edges, its depth (world
// z, 0 ... 10000: the larger, the nearer and bigger) and its turn in degrees. The middle, where
// the title goes, stays clear.
class CPlacement
{
public:
    double X;
    double Y;
    double Depth;
    double Angle;
};

const CPlacement Placements[] = {
    {0.12, 0.30, 9500.0, 25.0},  {0.87, 0.70, 9700.0, -35.0}, {0.83, 0.20, 9000.0, 150.0},
    {0.25, 0.78, 6000.0, 80.0},  {0.62, 0.15, 6500.0, -10.0}, {0.06, 0.80, 5500.0, 200.0},
    {0.96, 0.45, 6200.0, 110.0}, {0.22, 0.14, 1000.0, 300.0}, {0.45, 0.87, 2000.0, 45.0},
    {0.70, 0.86, 500.0, 170.0},  {0.38, 0.17, 1500.0, 260.0}, {0.97, 0.14, 800.0, 20.0},
    {0.55, 0.80, 7500.0, 135.0}, {0.04, 0.45, 3000.0, 95.0},  {0.15, 0.60, 2500.0, 330.0},
};

// The scene camera sees +-0.001 x distance across, the height in proportion to the picture.
CVector3d World_Position(const CPlacement &placement)
{
    const CCamera3d &camera = CRender::Get_Camera();
    const double half_width = 0.001 * (camera.Eye.z - placement.Depth);
    const double half_height = half_width / camera.AspectRatio;
    return CVector3d((placement.X - 0.5) * 2.0 * half_width,
                     (0.5 - placement.Y) * 2.0 * half_height, placement.Depth);
}

void Place_Bananas()
{
    // A banana is born out of view, so the view must exist first.
    CRender::Get_Camera().Apply();
    int slot = 0;
    for (const CPlacement &placement : Placements)
    {
        CBanana *banana = new CBanana;
        banana->Position = World_Position(placement);
        banana->Velocity = CVector3d();
        banana->RotationAngle = placement.Angle;
        CRender::Bananas[slot++] = banana;
    }
}

// The font draws in pixels of the window size it is told; a window TextScale times smaller
// than the viewport enlarges it by whole pixels.
void Draw_Title()
{
    const int text_width = (PictureWidth + TextScale - 1) / TextScale;
    const int text_height = (PictureHeight + TextScale - 1) / TextScale;
    const int bottom = (PictureHeight - text_height * TextScale) / 2;
    glViewport(0, bottom, text_width * TextScale, text_height * TextScale);
    CResolution::Set_Window_Dimensions(text_width, text_height);
    Set_Overlay_Projection();
    glDisable(GL_LIGHTING);
    CTextureFont::Print_Centered(TitleY, ProductName, true, CColor(1.0, 1.0, 1.0, 1.0));
}

bool Write_Bmp(const char *path, const std::vector<uint8_t> &frame)
{
    const uint32_t row_bytes = (PictureWidth * 3 + 3) / 4 * 4;
    const uint32_t image_bytes = row_bytes * PictureHeight;
    const uint32_t header_bytes = 14 + 40;
    std::vector<uint8_t> file;
    auto put = [&file](uint32_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            file.push_back(uint8_t(value >> (8 * i)));
    };
    put('B', 1);
    put('M', 1);
    put(header_bytes + image_bytes, 4);
    put(0, 4); // reserved
    put(header_bytes, 4);
    put(40, 4);
    put(PictureWidth, 4);
    put(PictureHeight, 4); // positive: bottom row first, as OpenGL reads it
    put(1, 2);             // planes
    put(24, 2);            // bits per pixel
    put(0, 4);             // no compression
    put(image_bytes, 4);
    put(2835, 4); // 72 dots per inch
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int y = 0; y < PictureHeight; ++y)
    {
        for (int x = 0; x < PictureWidth; ++x)
        {
            const uint8_t *pixel = &frame[(size_t(y) * PictureWidth + size_t(x)) * 4];
            file.push_back(pixel[2]);
            file.push_back(pixel[1]);
            file.push_back(pixel[0]);
        }
        for (uint32_t pad = PictureWidth * 3; pad < row_bytes; ++pad)
            file.push_back(0);
    }
    FILE *output = fopen(path, "wb");
    if (output == nullptr)
        return false;
    const bool written = fwrite(file.data(), 1, file.size(), output) == file.size();
    return fclose(output) == 0 && written;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: %s <output.bmp>\n", argv[0]);
        return 2;
    }
    COffscreenFrame frame;
    if (!frame.Open(argv[0], PictureWidth, PictureHeight))
        return 1;

    CResolution::Set_Window_Dimensions(PictureWidth, PictureHeight);
    CRender::Init(frame.Context);
    CRender::Resize(PictureWidth, PictureHeight);
    Place_Bananas();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    CRender::Draw_Scene();
    Draw_Title();
    glFinish();
    CRender::Close();

    if (!Write_Bmp(argv[1], frame.Pixels))
    {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
