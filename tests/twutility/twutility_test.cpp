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

TEST(HasExtensionTest, FindsWholeNamesOnly)
{
    EXPECT_TRUE(
        Has_Extension("WGL_EXT_swap_control_tear WGL_EXT_swap_control", "WGL_EXT_swap_control"));
    EXPECT_FALSE(
        Has_Extension("WGL_EXT_swap_control_tear XWGL_EXT_swap_control", "WGL_EXT_swap_control"));
    EXPECT_FALSE(Has_Extension(nullptr, "WGL_EXT_swap_control"));
}

} // namespace
