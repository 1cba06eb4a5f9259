// The scene camera on a real (software) OpenGL context: its matrices, its view-volume planes
// and the visibility tests the bananas rely on.
#include "camera3d.h"

#include "gl_offscreen.h"
#include "platform/gl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

class CameraTest : public ::testing::Test
{
protected:
    COffscreenContext Context{64, 48};
    CCamera3d Camera;

    void SetUp() override
    {
        ASSERT_TRUE(Context.Is_Valid());
        CCamera3d::FrustumValid = false;
    }

    void Apply_With_Ratio(double ratio)
    {
        Camera.Set_Aspect_Ratio(ratio);
        Camera.Apply();
    }

    // What OpenGL itself does with the point under the current matrices: feedback mode reports
    // a point only when it survives clipping.
    static bool Gl_Clips_Point(const CVector3d &point)
    {
        GLfloat feedback[16];
        glFeedbackBuffer(16, GL_3D, feedback);
        glRenderMode(GL_FEEDBACK);
        glBegin(GL_POINTS);
        glVertex3d(point.x, point.y, point.z);
        glEnd();
        return glRenderMode(GL_RENDER) == 0;
    }
};

using CameraDeathTest = CameraTest;

} // namespace

TEST_F(CameraTest, DefaultsDescribeTheLongNarrowView)
{
    EXPECT_EQ(0.0, Camera.FovY);
    EXPECT_EQ(0.0, Camera.AspectRatio);
    EXPECT_EQ(5000.0, Camera.ClipDistanceNear);
    EXPECT_EQ(15000.0, Camera.ClipDistanceFar);
    EXPECT_EQ(15000.0, Camera.Eye.z);
    EXPECT_EQ(0.0, Camera.Target.z);
    EXPECT_EQ(1.0, Camera.Up.y);
}

TEST_F(CameraTest, FieldOfViewFollowsTheAspectRatio)
{
    Camera.Set_Aspect_Ratio(4.0 / 3.0);
    EXPECT_NEAR(0.0859437, Camera.FovY, 1e-7);
    EXPECT_DOUBLE_EQ(4.0 / 3.0, Camera.AspectRatio);
    Camera.Set_Aspect_Ratio(1.0);
    EXPECT_NEAR(0.1145915, Camera.FovY, 1e-7);
}

TEST_F(CameraTest, BeforeTheFirstApplyEverythingIsOutside)
{
    Camera.Set_Aspect_Ratio(1.0);
    const CVector3d centre(0.0, 0.0, 5000.0);
    EXPECT_TRUE(Camera.Is_Point_Outside(centre));
    EXPECT_TRUE(Camera.Are_Points_Outside(&centre, 1));
    EXPECT_TRUE(Camera.Is_Cube_Outside(centre, 1.0));
}

TEST_F(CameraTest, ApplyLoadsTheViewAndEnablesDepthTesting)
{
    glDisable(GL_DEPTH_TEST);
    Apply_With_Ratio(4.0 / 3.0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(GL_MODELVIEW, mode);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(CCamera3d::FrustumValid);
    // The look-at view moves the eye to the origin: the world origin lies 15000 units ahead.
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_NEAR(-15000.0, modelview[14], 1e-6);
}

TEST_F(CameraTest, KnownPointsInsideAndOutside)
{
    struct Case
    {
        CVector3d Point;
        bool Outside;
        const char *Why;
    };
    const Case cases[] = {
        {CVector3d(0, 0, 5000), false, "centre of the depth band"},
        {CVector3d(0, 0, 10001), true, "in front of the near plane"},
        {CVector3d(0, 0, 9999), false, "just behind the near plane"},
        {CVector3d(0, 0, -1), true, "behind the far plane"},
        {CVector3d(0, 0, 1), false, "just before the far plane"},
        {CVector3d(16, 0, 0), true, "right of the far plane's half-width of 15"},
        {CVector3d(-16, 0, 0), true, "left of it"},
        {CVector3d(14.9, 0, 1), false, "just inside the right edge at the far plane"},
        {CVector3d(0, 11.5, 1), true, "above the top at the far plane (half-height 11.25)"},
        {CVector3d(0, -11.5, 1), true, "below the bottom"},
        {CVector3d(0, 11, 1), false, "just below the top"},
    };
    Apply_With_Ratio(4.0 / 3.0);
    for (const Case &c : cases)
    {
        EXPECT_EQ(c.Outside, Camera.Is_Point_Outside(c.Point)) << c.Why;
        EXPECT_EQ(c.Outside, Gl_Clips_Point(c.Point)) << "OpenGL disagrees: " << c.Why;
    }
}

TEST_F(CameraTest, PlanesAgreeWithWhatOpenGlClips)
{
    for (double ratio : {4.0 / 3.0, 1.0, 16.0 / 9.0, 0.5})
    {
        Apply_With_Ratio(ratio);
        int disagreements = 0, inside = 0;
        // A lattice over a box somewhat larger than the view volume; points within a hair of
        // a plane are left out, where rounding may decide either way.
        for (int i = 0; i <= 20; ++i)
            for (int j = 0; j <= 20; ++j)
                for (int k = 0; k <= 20; ++k)
                {
                    const CVector3d p(-20.0 + 2.0 * i + 0.013, -30.0 + 3.0 * j + 0.017,
                                      -600.0 + 560.0 * k + 0.7);
                    bool near_plane = false;
                    for (const auto &plane : Camera.Frustum)
                    {
                        const double scale = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] +
                                                       plane[2] * plane[2]);
                        if (std::fabs(CCamera3d::Plane_Distance(plane, p)) < 1e-3 * scale)
                            near_plane = true;
                    }
                    if (near_plane)
                        continue;
                    const bool outside = Camera.Is_Point_Outside(p);
                    inside += outside ? 0 : 1;
                    disagreements += outside != Gl_Clips_Point(p) ? 1 : 0;
                }
        EXPECT_EQ(0, disagreements) << "ratio " << ratio;
        EXPECT_GT(inside, 100) << "ratio " << ratio;
    }
}

TEST_F(CameraTest, HorizontalExtentStaysPutWhateverTheRatio)
{
    for (double ratio : {0.75, 1.0, 4.0 / 3.0, 2.0})
    {
        Apply_With_Ratio(ratio);
        for (double distance : {5001.0, 10000.0, 14999.0})
        {
            const double z = 15000.0 - distance;
            EXPECT_FALSE(Camera.Is_Point_Outside(CVector3d(0.00099 * distance, 0, z)));
            EXPECT_TRUE(Camera.Is_Point_Outside(CVector3d(0.00101 * distance, 0, z)));
            const double half_height = 0.001 * distance / ratio;
            EXPECT_FALSE(Camera.Is_Point_Outside(CVector3d(0, 0.99 * half_height, z)));
            EXPECT_TRUE(Camera.Is_Point_Outside(CVector3d(0, 1.01 * half_height, z)));
        }
    }
}

TEST_F(CameraTest, CubeIsOutsideOnlyWhenEveryCornerIs)
{
    Apply_With_Ratio(4.0 / 3.0);
    // At z = 5000 the view reaches x = +-10.
    EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(0, 0, 5000), 1.0));
    EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(10.0, 0, 5000), 1.0)); // straddles the edge
    EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(10.9, 0, 5000), 1.0)); // one side still in
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(11.1, 0, 5000), 1.0));
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(-11.1, 0, 5000), 1.0));
    // Straddling the far plane and the near plane.
    EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(0, 0, -0.5), 1.0));
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(0, 0, -1.5), 1.0));
    EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(0, 0, 10000.5), 1.0));
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(0, 0, 10001.5), 1.0));
}

TEST_F(CameraTest, ACubeFillingAVeryWideViewIsInside)
{
    // 6:1 (three screens side by side): near the near plane the view is only about 1.7 units
    // high, less than the cube, so every corner lies above or below it while the cube fills it.
    Apply_With_Ratio(6.0);
    const CVector3d middle(0.0, 0.0, 9900.0);
    EXPECT_TRUE(Camera.Is_Point_Outside(CVector3d(0.0, 1.0, 9899.0)));
    EXPECT_TRUE(Camera.Is_Point_Outside(CVector3d(0.0, -1.0, 9899.0)));
    EXPECT_FALSE(Camera.Is_Cube_Outside(middle, 1.0));
    // Still outside when wholly beyond one plane.
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(0.0, 3.0, 9900.0), 1.0));
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(20.0, 0.0, 9900.0), 1.0));
}

TEST_F(CameraTest, PointSetIsOutsideOnlyWhenEveryPointIs)
{
    Apply_With_Ratio(1.0);
    // Outside different planes still counts as all outside.
    const CVector3d apart[] = {CVector3d(100, 0, 5000), CVector3d(0, 0, -100),
                               CVector3d(0, 0, 20000)};
    EXPECT_TRUE(Camera.Are_Points_Outside(apart, 3));
    const CVector3d one_in[] = {CVector3d(100, 0, 5000), CVector3d(0, 0, 5000)};
    EXPECT_FALSE(Camera.Are_Points_Outside(one_in, 2));
}

TEST(CameraMatrix, ProductOrderAndIdentity)
{
    const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = i * 1.5 - 7.0;
    double result[16];
    CCamera3d::Multiply_Matrix(result, identity, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], result[i]);
    CCamera3d::Multiply_Matrix(result, m, identity);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], result[i]);

    // result = mb * ma: ma (translate x by 5) applies first, then mb (scale by 2).
    const double translate[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 0, 0, 1};
    const double scale[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    CCamera3d::Multiply_Matrix(result, translate, scale);
    EXPECT_EQ(10.0, result[12]); // (0,0,0) -> (5,0,0) -> (10,0,0)
    EXPECT_EQ(2.0, result[0]);
}

TEST(CameraPlane, DistanceIsTheLinearFormUnnormalised)
{
    const double plane[4] = {2.0, -1.0, 0.5, 3.0};
    EXPECT_DOUBLE_EQ(2.0 * 4 - 1.0 * 2 + 0.5 * -6 + 3.0,
                     CCamera3d::Plane_Distance(plane, CVector3d(4, 2, -6)));
}

TEST_F(CameraDeathTest, BrokenPreconditionsEndTheProgram)
{
    EXPECT_EXIT(Camera.Apply(), ::testing::ExitedWithCode(1), "beep"); // no aspect ratio yet
    EXPECT_EXIT(Camera.Set_Aspect_Ratio(0.0), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(Camera.Set_Aspect_Ratio(-1.0), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(Camera.Set_Aspect_Ratio(std::nan("")), ::testing::ExitedWithCode(1), "beep");
    Camera.Set_Aspect_Ratio(1.0);
    Camera.ClipDistanceFar = Camera.ClipDistanceNear;
    EXPECT_EXIT(Camera.Apply(), ::testing::ExitedWithCode(1), "beep");
    Camera.ClipDistanceFar = 15000.0;
    Camera.FovY = std::nan("");
    EXPECT_EXIT(Camera.Apply(), ::testing::ExitedWithCode(1), "beep");

    const CVector3d point;
    double m[16] = {};
    EXPECT_EXIT(Camera.Are_Points_Outside(nullptr, 1), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(Camera.Are_Points_Outside(&point, 0), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CCamera3d::Plane_Distance(nullptr, point), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CCamera3d::Multiply_Matrix(nullptr, m, m), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CCamera3d::Multiply_Matrix(m, nullptr, m), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CCamera3d::Multiply_Matrix(m, m, nullptr), ::testing::ExitedWithCode(1), "beep");
}
