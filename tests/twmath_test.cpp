// The vector, the random generator, Random_Range, Round_To_Int and Radians_To_Degrees.
#include "twutility/twmath.h"
#include "twutility/vector3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{

// The seed whose next draw is r: solves seed * 214013 + 2531011 = r << 16 (mod 2^32), so the
// tests can ask for any draw without knowing how the generator is written.
uint32_t Seed_For_Draw(int r)
{
    uint32_t inverse = 1; // Newton's iteration for the inverse of an odd number mod 2^32
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - 214013u * inverse;
    return ((uint32_t(r) << 16) - 2531011u) * inverse;
}

} // namespace

TEST(RandomGenerator, ReproducesTheKnownSequenceFromSeedOne)
{
    Seed_Random(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected)
        EXPECT_EQ(value, Random_Draw());
}

TEST(RandomGenerator, SameSeedSameDraws)
{
    Seed_Random(1700000000u);
    int first[20];
    for (int &value : first)
        value = Random_Draw();
    Seed_Random(1700000000u);
    for (int value : first)
        EXPECT_EQ(value, Random_Draw());
}

TEST(RandomGenerator, StaysWithinFifteenBits)
{
    Seed_Random(12345u);
    int lowest = 32767, highest = 0;
    for (int i = 0; i < 200000; ++i)
    {
        const int r = Random_Draw();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_EQ(0, lowest);
    EXPECT_EQ(32767, highest);
}

TEST(RandomRange, HitsBothEndsAndTheSpacedValuesBetween)
{
    struct Case
    {
        int R;
        double Lower, Upper, Expected;
    };
    const Case cases[] = {
        {0, -15.0, 15.0, -15.0},
        {32767, -15.0, 15.0, 15.0},
        {16383, -15.0, 15.0, -15.0 + 16383.0 * 30.0 / 32767.0},
        {0, 10.0, 10.0, 10.0},
        {32767, 10.0, 10.0, 10.0},
        {12345, 10.0, 10.0, 10.0},
        {32767, 0.0, 10000.0, 10000.0},
    };
    for (const Case &c : cases)
    {
        Seed_Random(Seed_For_Draw(c.R));
        EXPECT_DOUBLE_EQ(c.Expected, Random_Range(c.Lower, c.Upper)) << "r = " << c.R;
    }
    Seed_Random(Seed_For_Draw(16383));
    const double middle = Random_Range(-15.0, 15.0);
    EXPECT_NEAR(-0.000458, middle, 1e-6);
    EXPECT_NE(0.0, middle);
}

TEST(RandomRangeDeathTest, ReversedBoundsAreABrokenPrecondition)
{
    EXPECT_EXIT(Random_Range(1.0, 0.0), ::testing::ExitedWithCode(1), "");
    // Within the tolerance the bounds count as equal.
    Random_Range(1.0, 1.0 - EPSILON / 2);
}

TEST(RoundToInt, RoundsHalvesAwayFromZero)
{
    struct Case
    {
        double X;
        int32_t Expected;
    };
    const Case cases[] = {
        {0.0, 0}, {0.000005, 0}, {-0.000005, 0}, {0.5, 1},   {-0.5, -1},  {1.4999, 1}, {2.4, 2},
        {2.5, 3}, {-2.5, -3},    {100.5, 101},   {59.5, 60}, {59.49, 59}, {-1.6, -2},  {0.00002, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.Expected, Round_To_Int(c.X)) << "x = " << c.X;
}

TEST(RoundToInt, OutOfRangeInputsAreClampedNotUndefined)
{
    EXPECT_EQ(INT32_MAX, Round_To_Int(1e300));
    EXPECT_EQ(INT32_MIN, Round_To_Int(-1e300));
    EXPECT_EQ(INT32_MAX, Round_To_Int(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(0, Round_To_Int(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(2147483647, Round_To_Int(2147483646.6));
}

TEST(RadiansToDegrees, UsesTheEightDigitPi)
{
    EXPECT_NEAR(180.0, Radians_To_Degrees(PI), 1e-12);
    EXPECT_NEAR(0.0572958, Radians_To_Degrees(atan2(0.001, 1.0)), 1e-7);
    // The eight-digit constant, not full precision: 180 / 3.1415927 differs from 180 / pi.
    EXPECT_NE(180.0 / std::acos(-1.0), Radians_To_Degrees(1.0));
}

TEST(Vector3d, ConstructsSetsAddsAndMeasures)
{
    CVector3d zero;
    EXPECT_EQ(0.0, zero.x);
    EXPECT_EQ(0.0, zero.y);
    EXPECT_EQ(0.0, zero.z);

    CVector3d v(3.0, 4.0, 12.0);
    EXPECT_DOUBLE_EQ(13.0, v.Length());
    v.Set(1.0, -2.0, 0.5);
    CVector3d &same = (v += CVector3d(0.5, 0.5, -0.5));
    EXPECT_EQ(&v, &same);
    EXPECT_DOUBLE_EQ(1.5, v.x);
    EXPECT_DOUBLE_EQ(-1.5, v.y);
    EXPECT_DOUBLE_EQ(0.0, v.z);
}
