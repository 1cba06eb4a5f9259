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

#include "offscreenframe.h"
#include "common/pngrows.h"

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

// The middle of the frame; the frame's rows run bottom-up, the picture's top-down.
bool Write_Picture(const char *path, const std::vector<uint8_t> &frame)
{
    const int left = (FrameWidth - PictureWidth) / 2;
    const int bottom = (FrameHeight - PictureHeight) / 2;
    return Write_Png_Rows(
        path, PictureWidth, PictureHeight,
        [&](int row, uint8_t *out)
        {
            const int y = bottom + PictureHeight - 1 - row;
            for (int x = 0; x < PictureWidth; ++x)
                for (int c = 0; c < 3; ++c)
                    out[size_t(x) * 3 + size_t(c)] =
                        frame[(size_t(y) * FrameWidth + size_t(left + x)) * 4 + c];
        });
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    COffscreenFrame frame;
    if (!frame.Open(argv[0], FrameWidth, FrameHeight))
        return 1;

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

    if (!Write_Picture(argv[1], frame.Pixels))
    {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
