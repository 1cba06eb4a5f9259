// Draws one banana with CBanana::Draw under the scene camera on an offscreen OpenGL context, lit
// and culled as the saver draws it, and writes the middle of the frame as a PNG. Only the camera
// differs: it keeps the saver's lens (half-width 0.001 x distance) but stands 2200 units from the
// banana instead of 5000 ... 15000. It cannot come closer: the visibility test counts the banana
// as out of view once the view is smaller than its cube of half-size 1.0 (all eight corners lie
// outside), so the frame is drawn large and only its middle kept.
//
// usage: bananapicture <output.png>
#include "banana.h"
#include "platform/gl.h"
#include "render.h"

#include <GL/osmesa.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace
{

constexpr int FrameWidth = 1600;  // pixels
constexpr int FrameHeight = 800;  // pixels
constexpr int PictureWidth = 400; // pixels, the middle of the frame
constexpr int PictureHeight = 200;
// World units: the frame is 4.4 x 2.2 units, so the cube's 2 units fit both ways.
constexpr double EyeDistance = 2200.0;
constexpr double RotationAngle = 12.0; // degrees, counter-clockwise

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
    png_set_IHDR(png, info, PictureWidth, PictureHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(PictureWidth) * 3);
    const int left = (FrameWidth - PictureWidth) / 2;
    const int bottom = (FrameHeight - PictureHeight) / 2;
    // The frame's rows run bottom-up, the picture's top-down.
    for (int y = bottom + PictureHeight - 1; y >= bottom; --y)
    {
        for (int x = 0; x < PictureWidth; ++x)
            for (int c = 0; c < 3; ++c)
                row[size_t(x) * 3 + size_t(c)] =
                    frame[(size_t(y) * FrameWidth + size_t(left + x)) * 4 + c];
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
    // 24-bit depth, as close to the saver's 32 bits as OSMesa offers.
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (context == nullptr ||
        !OSMesaMakeCurrent(context, frame.data(), GL_UNSIGNED_BYTE, FrameWidth, FrameHeight))
    {
        fprintf(stderr, "%s: no offscreen OpenGL context\n", argv[0]);
        return 1;
    }

    // The renderer's state: depth test, back faces culled, light 0 in eye coordinates.
    glViewport(0, 0, FrameWidth, FrameHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    CRender::Init_Lights();
    CBanana::Build_Display_List();

    CCamera3d &camera = CRender::Get_Camera();
    camera.Eye.Set(0.0, 0.0, EyeDistance);
    camera.ClipDistanceNear = EyeDistance - 10.0;
    camera.ClipDistanceFar = EyeDistance + 10.0;
    camera.Set_Aspect_Ratio(double(FrameWidth) / FrameHeight);

    CBanana banana;
    banana.Position.Set(0.0, 0.0, 0.0);
    banana.RotationAngle = RotationAngle;

    // The scene pass.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    camera.Apply();
    glEnable(GL_LIGHTING);
    banana.Draw();
    glFinish();
    OSMesaDestroyContext(context);

    if (!Write_Png(argv[1], frame))
    {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
