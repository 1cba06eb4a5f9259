// The banana mesh's display list on a real (software) OpenGL context: one banana close up, seen
// along -z like the scene camera sees it, lit by the renderer's light with back faces culled.
#include "bananamesh.h"

#include "gl_offscreen.h"
#include "platform/gl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace
{

const int Width = 400;  // pixels
const int Height = 200; // pixels
// The view spans x = -0.55 ... 0.55 and y = -0.275 ... 0.275: 363.6 pixels per model unit.
const double HalfWidth = 0.55;
const double PixelsPerUnit = Width / (2.0 * HalfWidth);

int Pixel_Column(double x)
{
    return int(Width / 2.0 + x * PixelsPerUnit);
}

struct CRgb
{
    int R, G, B;
};

bool Is_Yellow(CRgb c)
{
    return c.R > 80 && c.G > 80 && c.R - c.G <= 12 && c.G - c.R <= 12 && c.B * 4 < c.R;
}

bool Is_Brown(CRgb c)
{
    return c.R > 30 && c.R * 10 >= c.G * 12 && c.G > c.B && c.B * 10 >= c.R * 3;
}

class BananaMeshGlTest : public ::testing::Test
{
protected:
    COffscreenContext Context{Width, Height};
    unsigned int List = 0;

    void SetUp() override
    {
        ASSERT_TRUE(Context.Is_Valid());
        glViewport(0, 0, Width, Height);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        // The renderer's light 0, a directional light from the left and in front.
        const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1.0f};
        const GLfloat diffuse[] = {1.2f, 1.2f, 1.2f, 1.0f};
        const GLfloat specular[] = {0.9f, 0.9f, 0.9f, 1.0f};
        const GLfloat position[] = {-1000.0f, 0.0f, 700.0f, 0.0f};
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-HalfWidth, HalfWidth, -HalfWidth * Height / Width, HalfWidth * Height / Width,
                -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        List = Build_Banana_Mesh();
    }

    void Draw()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(List);
        glFinish();
    }

    // Depth of every pixel, bottom-up rows; 1.0 where nothing was drawn.
    static std::vector<float> Read_Depth()
    {
        std::vector<float> depth(size_t(Width) * Height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Width, Height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        return depth;
    }

    CRgb Colour(int x, int y) const
    {
        const uint8_t *p = Context.Pixel(x, y);
        return {p[0], p[1], p[2]};
    }
};

} // namespace

TEST_F(BananaMeshGlTest, ListDrawsTheWholeBananaAtItsSize)
{
    Draw();
    int left = Width, right = -1, top = Height, bottom = -1;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
        {
            const CRgb c = Colour(x, y);
            if (c.R + c.G + c.B == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    // 1.0 long, about 0.28 high.
    EXPECT_NEAR(Pixel_Column(-0.5), left, 3);
    EXPECT_NEAR(Pixel_Column(0.5), right, 3);
    EXPECT_NEAR(0.28 * PixelsPerUnit, bottom - top, 6);
}

TEST_F(BananaMeshGlTest, BodyIsYellowAndTheTipsBrown)
{
    // Whatever material was current before, the list sets its own.
    const GLfloat blue[] = {0.0f, 0.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, blue);
    Draw();
    int body_yellow = 0, body_brown = 0, stalk_brown = 0, blossom_brown = 0, tip_yellow = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
        {
            const CRgb c = Colour(x, y);
            ASSERT_LE(c.B, c.R) << "no blue may remain at " << x << ", " << y;
            if (x > Pixel_Column(-0.25) && x < Pixel_Column(0.25))
            {
                body_yellow += Is_Yellow(c) ? 1 : 0;
                body_brown += Is_Brown(c) ? 1 : 0;
            }
            if (x < Pixel_Column(-0.42) || x > Pixel_Column(0.42))
                tip_yellow += Is_Yellow(c) ? 1 : 0;
            if (x < Pixel_Column(-0.38))
                stalk_brown += Is_Brown(c) ? 1 : 0;
            if (x > Pixel_Column(0.38))
                blossom_brown += Is_Brown(c) ? 1 : 0;
        }
    EXPECT_GT(body_yellow, 2000);
    EXPECT_EQ(0, body_brown);
    EXPECT_EQ(0, tip_yellow);
    EXPECT_GT(stalk_brown, 100);
    EXPECT_GT(blossom_brown, 100);
}

// With back faces culled the near surface must be what is drawn: wound the wrong way, the inside
// of the far wall would show through (hollow), at a greater depth.
TEST_F(BananaMeshGlTest, FrontFacesAreTheNearSurfaceSoCullingLeavesNoHoles)
{
    glDisable(GL_CULL_FACE);
    Draw();
    const std::vector<float> all_faces = Read_Depth();
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    Draw();
    const std::vector<float> front_faces = Read_Depth();
    glCullFace(GL_FRONT);
    Draw();
    const std::vector<float> back_faces = Read_Depth();
    glCullFace(GL_BACK);

    int covered = 0, holes = 0, farther_front = 0, back_behind = 0;
    for (size_t i = 0; i < all_faces.size(); ++i)
    {
        if (all_faces[i] >= 1.0f)
            continue;
        ++covered;
        holes += front_faces[i] >= 1.0f ? 1 : 0;
        farther_front += front_faces[i] > all_faces[i] + 1e-6f ? 1 : 0;
        back_behind += back_faces[i] > all_faces[i] + 1e-6f ? 1 : 0;
    }
    ASSERT_GT(covered, 15000);
    EXPECT_EQ(0, holes);
    EXPECT_EQ(0, farther_front);
    // Only where the two walls meet at the silhouette may they lie at one depth.
    EXPECT_GE(back_behind, covered * 9 / 10);
}

TEST_F(BananaMeshGlTest, ListLeavesTheBodyMaterialCurrent)
{
    Draw();
    struct Case
    {
        GLenum Parameter;
        GLfloat Expected[4];
    };
    const Case cases[] = {
        {GL_AMBIENT, {0.1f, 0.1f, 0.0f, 1.0f}},
        {GL_DIFFUSE, {1.0f, 1.0f, 0.0f, 1.0f}},
        {GL_SPECULAR, {0.2f, 0.2f, 0.2f, 1.0f}},
        {GL_EMISSION, {0.0f, 0.0f, 0.0f, 1.0f}},
    };
    for (GLenum face : {GL_FRONT, GL_BACK})
        for (const Case &c : cases)
        {
            GLfloat value[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
            glGetMaterialfv(face, c.Parameter, value);
            for (int i = 0; i < 4; ++i)
                EXPECT_FLOAT_EQ(c.Expected[i], value[i])
                    << "face " << face << " parameter " << c.Parameter << " component " << i;
        }
    GLfloat shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(25.6f, shininess);
}
