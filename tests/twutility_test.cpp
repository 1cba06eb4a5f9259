// The trace sink, the assertion handler and the fatal set-up report, run for real: every
// failure path ends a child process whose exit status and output the test inspects.
#include "twutility/twutility.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <string>

TEST(LogPrintf, NeitherFormatsNorTouchesItsArguments)
{
    // A sink that formatted would dereference these and crash.
    const char *dangling = reinterpret_cast<const char *>(16);
    Log_Printf("%s %s %d\n", dangling, dangling, 1);
    Log_Printf("  plain data line\n");
    SUCCEED();
}

TEST(ProductName, IsQuillomar)
{
    EXPECT_STREQ("Quillomar", ProductName);
}

using AssertDeathTest = ::testing::Test;

TEST_F(AssertDeathTest, FailedCheckBeepsBreaksAndExitsWithOne)
{
    EXPECT_EXIT(Assert("ClipDistanceFar > ClipDistanceNear", "camera3d", 71),
                ::testing::ExitedWithCode(1), "beep\n.*debugger break");
}

TEST_F(AssertDeathTest, MissingTextOrFileExitsWithOneSilently)
{
    // "^$": nothing at all on stderr, so neither the beep nor the break happened.
    EXPECT_EXIT(Assert(nullptr, "camera3d", 1), ::testing::ExitedWithCode(1), "^$");
    EXPECT_EXIT(Assert("x > 0", nullptr, 1), ::testing::ExitedWithCode(1), "^$");
}

TEST_F(AssertDeathTest, ResponseWithoutMessageStillExitsWithOne)
{
    EXPECT_EXIT(Assert_Response(nullptr), ::testing::ExitedWithCode(1), "^$");
}

TEST_F(AssertDeathTest, OverlongExpressionIsCutNotOverflowed)
{
    const std::string huge(5000, 'x');
    EXPECT_EXIT(Assert(huge.c_str(), "twmath", 280), ::testing::ExitedWithCode(1), "beep");
}

TEST_F(AssertDeathTest, CheckMacroPassesAndFails)
{
    static const char SourceName[] = "twutility_test";
    TW_ASSERT(1 + 1 == 2);
    EXPECT_EXIT(TW_ASSERT(1 + 1 == 3), ::testing::ExitedWithCode(1), "beep");
}

TEST(ExitIfFailed, ReturnsWhenTheValueDiffersFromTheFailureValue)
{
    FakePlatform::Reset();
    Exit_If_Failed(5, 0, "CreateWindow");
    Exit_If_Failed(0, 1, "wglMakeCurrent");
    EXPECT_EQ(0, FakePlatform::ErrorBoxCount);
    EXPECT_EQ(0, FakePlatform::BeepCount);
}

using ExitIfFailedDeathTest = ::testing::Test;

TEST_F(ExitIfFailedDeathTest, FailureShowsTheBoxThenExitsWithOne)
{
    EXPECT_EXIT(Exit_If_Failed(0, 0, "CreateWindow"), ::testing::ExitedWithCode(1),
                "error box <Quillomar> <CreateWindow failed\\.>");
    EXPECT_EXIT(Exit_If_Failed(-1, -1, "ChoosePixelFormat"), ::testing::ExitedWithCode(1),
                "<ChoosePixelFormat failed\\.>");
}

TEST_F(ExitIfFailedDeathTest, MissingNameIsABrokenPrecondition)
{
    EXPECT_EXIT(Exit_If_Failed(1, 0, nullptr), ::testing::ExitedWithCode(1), "beep");
}

TEST_F(ExitIfFailedDeathTest, OverlongNameIsCutToTheBuffer)
{
    // 499 characters fit the 500-character buffer with its terminator.
    const std::string name(2000, 'n');
    EXPECT_EXIT(Exit_If_Failed(0, 0, name.c_str()), ::testing::ExitedWithCode(1),
                "<" + std::string(499, 'n') + ">");
}
