#include "banana.h"

#include "platform/gl.h"
#include "scene.h"

#include <cmath>

namespace
{

class BananaTest : public CSceneTest
{
protected:
    void SetUp() override
    {
        CSceneTest::SetUp();
        CRender::Draw(); // the camera applied: births know the view
    }

    static bool In_View(const CBanana &banana)
    {
        return !CRender::Get_Camera().Is_Cube_Outside(banana.Position, 1.0);
    }
};

TEST_F(BananaTest, BirthsAreOutOfSightMovingSidewaysAndSpinningBothWays)
{
    const int births = 2000;
    int clockwise = 0, entering = 0;
    double slowest = 10.0;
    for (int i = 0; i < births; ++i)
    {
        CBanana banana;
        ASSERT_FALSE(In_View(banana)) << i;
        ASSERT_EQ(0.0, banana.Velocity.z);
        ASSERT_LE(std::fabs(banana.Velocity.x), CBanana::MaxVelocity);
        ASSERT_LE(std::fabs(banana.Velocity.y), CBanana::MaxVelocity);
        ASSERT_GE(banana.Velocity.Length(), 0.15);
        slowest = std::min(slowest, banana.Velocity.Length());
        ASSERT_GE(std::fabs(banana.RotationSpeed), 10.0);
        ASSERT_LE(std::fabs(banana.RotationSpeed), CBanana::MaxRotationSpeed);
        ASSERT_EQ(FakePlatform::Milliseconds, banana.LastVisibleTime);
        clockwise += banana.RotationSpeed < 0.0 ? 1 : 0;
        // One born in view was moved back by tenths of a second's travel until just outside.
        banana.Update(0.1);
        entering += In_View(banana) ? 1 : 0;
    }
    EXPECT_LT(slowest, 0.16);
    EXPECT_NEAR(0.5, double(clockwise) / births, 0.05);
    EXPECT_GT(entering, births / 4);
}

TEST_F(BananaTest, UpdateMovesAndTurnsInProportionToTheInterval)
{
    CBanana banana;
    banana.Position = CVector3d(1.0, 2.0, 3000.0);
    banana.Velocity = CVector3d(0.2, -0.4, 0.0);
    banana.RotationAngle = 350.0;
    banana.RotationSpeed = 100.0;
    banana.Update(0.5);
    EXPECT_DOUBLE_EQ(1.1, banana.Position.x);
    EXPECT_DOUBLE_EQ(1.8, banana.Position.y);
    EXPECT_DOUBLE_EQ(3000.0, banana.Position.z);
    EXPECT_DOUBLE_EQ(400.0, banana.RotationAngle) << "never wrapped";
}

TEST_F(BananaTest, ExpiresMoreThan15000MsAfterItWasLastDrawnAcrossTheClocksWrap)
{
    CBanana banana;
    banana.Position = CVector3d(0.0, 0.0, 5000.0);
    FakePlatform::Milliseconds = 0xFFFFF000u;
    banana.Draw();
    EXPECT_EQ(0xFFFFF000u, banana.LastVisibleTime);
    banana.Position = CVector3d(50.0, 0.0, 5000.0); // out of view: drawing leaves the time
    FakePlatform::Milliseconds = 0xFFFFF000u + 15000u;
    banana.Draw();
    EXPECT_FALSE(banana.Is_Expired());
    FakePlatform::Milliseconds += 1;
    EXPECT_TRUE(banana.Is_Expired());
}

// A list that draws one small white square at (0.45, 0) of the banana's own frame.
unsigned int Marker_List()
{
    const unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRectf(0.4f, -0.05f, 0.5f, 0.05f);
    glEndList();
    return list;
}

TEST_F(BananaTest, DrawPlacesTheListAtThePositionTurnedCounterClockwise)
{
    CBanana::DisplayListId = Marker_List();
    CBanana banana;
    const struct
    {
        CVector3d Position;
        double Angle;            // degrees
        double MarkerX, MarkerY; // where the marker lands, world units
    } cases[] = {{CVector3d(0, 0, 9990), 90.0, 0.0, 0.45},
                 {CVector3d(0, 0, 9990), -3510.0, 0.0, 0.45},
                 {CVector3d(2, -1.5, 9990), 180.0, 1.55, -1.5}};
    for (const auto &c : cases)
    {
        banana.Position = c.Position;
        banana.RotationAngle = c.Angle;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        CRender::Get_Camera().Apply();
        GLdouble modelview[16], projection[16], x, y, z;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(c.MarkerX, c.MarkerY, c.Position.z, modelview, projection, viewport, &x, &y, &z);
        banana.Draw();
        const CBox marker = Find(0, Height, White);
        ASSERT_GT(marker.Count, 0) << c.Angle;
        EXPECT_NEAR(x, (marker.Left + marker.Right + 1) / 2.0, 1.0) << c.Angle;
        EXPECT_NEAR(Height - y, (marker.Top + marker.Bottom + 1) / 2.0, 1.0) << c.Angle;
    }
}

} // namespace
