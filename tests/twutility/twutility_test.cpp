#include "twutility/twutility.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

namespace
{

static const char SourceName[] = "twutility_test";

TEST(AssertDeathTest, ABrokenConditionBeepsBreaksAndExitsWithOne)
{
    EXPECT_EXIT(TW_ASSERT(1 + 1 == 3), testing::ExitedWithCode(1), "beep\n.*debugger break");
}

} // namespace
