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

TEST(ExitIfFailedDeathTest, OnlyTheFailureValueShowsTheBoxAndExits)
{
    Exit_If_Failed(1, 0, "SetPixelFormat");
    EXPECT_EXIT(Exit_If_Failed(0, 0, "SetPixelFormat"), testing::ExitedWithCode(1),
                "error box <Quillomar> <SetPixelFormat failed.>");
}

struct CVersionName
{
    uint32_t PlatformId, Major, Minor, Build;
    const char *Name;
};

class OsVersionNameTest : public testing::TestWithParam<CVersionName>
{
};

TEST_P(OsVersionNameTest, NameFromTheVersionTable)
{
    const CVersionName &row = GetParam();
    const Platform::COsVersion version = {row.Major, row.Minor, row.Build, row.PlatformId, ""};
    const char *name = CUtility::Os_Version_Name(version);
    EXPECT_STREQ(row.Name, name) << row.PlatformId << " " << row.Major << "." << row.Minor;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OsVersionNameTest,
    testing::Values(
        CVersionName{0, 3, 10, 0, "Windows 3.1"},
        CVersionName{1, 4, 0, 0x04000457, "Windows 95 OSR2"},
        CVersionName{1, 4, 0, 950, "Windows 95"}, CVersionName{1, 3, 95, 1001, "Windows 95 OSR2"},
        CVersionName{1, 4, 10, 1998, "Windows 98"}, CVersionName{1, 4, 90, 3000, "Windows Me"},
        CVersionName{2, 4, 0, 1381, "Windows NT"}, CVersionName{2, 5, 0, 2195, "Windows 2000"},
        CVersionName{2, 5, 1, 2600, "Windows XP"}, CVersionName{2, 5, 2, 3790, "Windows 2000"},
        CVersionName{2, 6, 1, 7601, "Windows XP"},
        CVersionName{Platform::OS_PLATFORM_POSIX, 6, 1, 0, nullptr}));

TEST(LogHeaderDeathTest, ASystemWithoutAVersionEndsTheProgram)
{
    FakePlatform::Reset();
    Write_Log_Header();
    FakePlatform::OsVersionFails = true;
    EXPECT_EXIT(Write_Log_Header(), testing::ExitedWithCode(1), "beep");
}

} // namespace
