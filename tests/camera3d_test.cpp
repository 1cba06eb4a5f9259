#include "camera3d.h"

#include "platform/gl.h"
#include "scene.h"

namespace
{

class CameraTest : public CFrameTest
{
protected:
    CCamera3d Camera;

    void SetUp() override
    {
        CFrameTest::SetUp();
        CCamera3d::FrustumValid = false;
    }

    void Apply(double aspect_ratio)
    {
        Camera.Set_Aspect_Ratio(aspect_ratio);
        Camera.Apply();
    }
};

struct CPoint
{
    double X, Y, Z; // world units
    bool Outside;
};

class CameraPointTest : public CameraTest, public testing::WithParamInterface<CPoint>
{
};

// The eye at z = 15000 sees the depth band z = 0 ... 10000, 0.001 x distance to either side and
// that over the aspect ratio (4 : 3 here) up and down.
TEST_P(CameraPointTest, TheLongNarrowView)
{
    Apply(4.0 / 3.0);
    const CPoint &p = GetParam();
    EXPECT_EQ(p.Outside, Camera.Is_Point_Outside(CVector3d(p.X, p.Y, p.Z)))
        << p.X << ", " << p.Y << ", " << p.Z;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CameraPointTest,
    testing::Values(CPoint{0, 0, 5000, false}, CPoint{0, 0, 9999, false}, CPoint{0, 0, 10001, true},
                    CPoint{0, 0, 1, false}, CPoint{0, 0, -1, true}, CPoint{14.9, 0, 0, false},
                    CPoint{15.1, 0, 0, true}, CPoint{-14.9, 0, 0, false}, CPoint{-15.1, 0, 0, true},
                    CPoint{0, 11.2, 0, false}, CPoint{0, 11.3, 0, true}, CPoint{0, -11.2, 0, false},
                    CPoint{0, -11.3, 0, true}, CPoint{4.9, 3.6, 10000 - 1, false},
                    CPoint{5.1, 0, 9999, true}));

TEST_F(CameraTest, BeforeTheFirstApplyEverythingIsOutside)
{
    EXPECT_TRUE(Camera.Is_Point_Outside(CVector3d(0, 0, 5000)));
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(0, 0, 5000), 1.0));
}

TEST_F(CameraTest, ApplyTurnsDepthTestingBackOn)
{
    glDisable(GL_DEPTH_TEST);
    Apply(1.0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(CameraTest, ACubeIsOutsideOnlyWhenWhollyBeyondOnePlane)
{
    Apply(4.0 / 3.0);
    EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(15.5, 0, 0), 1.0)) << "straddles an edge";
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(16.5, 0, 0), 1.0));
    EXPECT_TRUE(Camera.Is_Cube_Outside(CVector3d(0, 12.5, 0), 1.0));
    EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(0, 0, 10000.5), 1.0));
    // Very wide: the view near the near plane is less than the cube high, so every corner is
    // outside, yet the cube fills the view.
    Apply(20.0);
    EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(0, 0, 9999), 1.0));
    const CVector3d mixed[] = {CVector3d(100, 0, 0), CVector3d(0, 0, 5000)};
    EXPECT_FALSE(Camera.Are_Points_Outside(mixed, 2));
    EXPECT_TRUE(Camera.Are_Points_Outside(mixed, 1));
}

} // namespace
