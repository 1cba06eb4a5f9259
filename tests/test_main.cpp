#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Each death test runs in a fresh copy of the program: a forked child of a process that has
    // made an llvmpipe context has lost the driver's threads and may crash on its way out.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
