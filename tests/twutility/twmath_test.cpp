#include "twutility/twmath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace
{

struct CRounding
{
    double X;
    int32_t Expected;
};

class RoundToIntTest : public testing::TestWithParam<CRounding>
{
};

TEST_P(RoundToIntTest, NearestHalvesAwayFromZeroAndClamped)
{
    EXPECT_EQ(GetParam().Expected, Round_To_Int(GetParam().X)) << GetParam().X;
}

INSTANTIATE_TEST_SUITE_P(Table, RoundToIntTest,
                         testing::Values(CRounding{0.0, 0}, CRounding{0.5, 1}, CRounding{-0.5, -1},
                                         CRounding{1.49, 1}, CRounding{-1.49, -1},
                                         CRounding{2.5, 3}, CRounding{-2.5, -3},
                                         CRounding{0.000001, 0}, CRounding{-0.000001, 0},
                                         CRounding{1e12, INT32_MAX}, CRounding{-1e12, INT32_MIN},
                                         CRounding{NAN, 0}));

TEST(RandomTest, OneSeedGivesTheSameDrawsInEveryBuild)
{
    Seed_Random(1);
    EXPECT_EQ(41, Random_Draw());
    EXPECT_EQ(18467, Random_Draw());
    EXPECT_EQ(6334, Random_Draw());
    Seed_Random(1);
    // Draw r of 0 ... 32767 maps to lower + r * (upper - lower) / 32767.
    EXPECT_DOUBLE_EQ(-1.0 + 41 * 3.0 / 32767.0, Random_Range(-1.0, 2.0));
    EXPECT_DOUBLE_EQ(18467.0, Random_Range(0.0, 32767.0));
    EXPECT_DOUBLE_EQ(5.0, Random_Range(5.0, 5.0));
}

} // namespace
