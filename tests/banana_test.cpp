#include "banana.h"

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

} // namespace
