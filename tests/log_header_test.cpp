// The start-up log header and the URL launch against the fake system. The trace sink discards
// every line, so what is checked is what the header decides and asks of the system.
#include "twutility/twutility.h"

#include "fakes/fake_platform.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class LogHeaderTest : public ::testing::Test
{
protected:
    void SetUp() override { FakePlatform::Reset(); }
};

Platform::COsVersion Version(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build)
{
    Platform::COsVersion version = {};
    version.PlatformId = platform;
    version.MajorVersion = major;
    version.MinorVersion = minor;
    version.BuildNumber = build;
    return version;
}

} // namespace

TEST_F(LogHeaderTest, VersionNameFollowsTheTableRowByRow)
{
    const uint32_t WIN32S = Platform::OS_PLATFORM_WIN32S;
    const uint32_t WIN9X = Platform::OS_PLATFORM_WIN32_WINDOWS;
    const uint32_t NT = Platform::OS_PLATFORM_WIN32_NT;
    struct
    {
        Platform::COsVersion Record;
        const char *Name; // NULL: no name
    } cases[] = {
        {Version(WIN32S, 3, 10, 0), "Windows 3.1"},
        {Version(WIN32S, 9, 9, 9999), "Windows 3.1"},
        {Version(WIN9X, 4, 0, 1111), "Windows 95 OSR2"},
        {Version(WIN9X, 4, 0, 1001), "Windows 95 OSR2"},
        {Version(WIN9X, 4, 0, 0x04000457), "Windows 95 OSR2"}, // only the low 16 bits count
        {Version(WIN9X, 4, 0, 1000), "Windows 95"},
        {Version(WIN9X, 4, 0, 950), "Windows 95"},
        {Version(WIN9X, 4, 0, 0x00FF03E8), "Windows 95"}, // low 16 bits: 1000
        {Version(WIN9X, 3, 95, 2000), "Windows 95 OSR2"}, // major below 4, any minor
        {Version(WIN9X, 3, 90, 500), "Windows 95"},       // not Me: major comes first
        {Version(WIN9X, 4, 10, 2222), "Windows 98"},
        {Version(WIN9X, 4, 90, 3000), "Windows Me"},
        {Version(WIN9X, 5, 90, 0), "Windows Me"},
        {Version(WIN9X, 5, 0, 5000), "Windows 98"},
        {Version(WIN9X, 4, 1, 0), "Windows 98"},
        {Version(NT, 4, 0, 1381), "Windows NT"},
        {Version(NT, 3, 51, 1057), "Windows NT"},
        {Version(NT, 4, 1, 0), "Windows NT"},
        {Version(NT, 5, 1, 2600), "Windows XP"},
        {Version(NT, 6, 1, 7601), "Windows XP"}, // the table knows no later names
        {Version(NT, 5, 0, 2195), "Windows 2000"},
        {Version(NT, 5, 2, 3790), "Windows 2000"},
        {Version(NT, 10, 0, 19045), "Windows 2000"},
        {Version(3, 5, 1, 0), nullptr},
        {Version(Platform::OS_PLATFORM_POSIX, 6, 1, 0), nullptr},
        {Version(0xFFFFFFFF, 4, 0, 0), nullptr},
    };
    for (const auto &c : cases)
    {
        const Platform::COsVersion &v = c.Record;
        SCOPED_TRACE(::testing::Message() << "platform " << v.PlatformId << ", " << v.MajorVersion
                                          << "." << v.MinorVersion << "." << v.BuildNumber);
        const char *name = CUtility::Os_Version_Name(v);
        if (c.Name == nullptr)
            EXPECT_EQ(nullptr, name);
        else
            EXPECT_STREQ(c.Name, name);
    }
}

TEST_F(LogHeaderTest, HeaderAsksTheSystemForItsVersionAndTheProgramFile)
{
    for (const uint32_t platform : {0u, 1u, 2u, 3u, Platform::OS_PLATFORM_POSIX})
    {
        FakePlatform::Reset();
        FakePlatform::OsVersion.PlatformId = platform;
        Write_Log_Header();
        EXPECT_EQ(1, FakePlatform::OsVersionQueries);
        EXPECT_EQ(1, FakePlatform::ModuleFileSizeQueries);
    }
}

TEST_F(LogHeaderTest, AProgramFileThatCannotBeOpenedOnlyLosesItsSizeLine)
{
    FakePlatform::ModuleFileMissing = true;
    CUtility::Log_Module_Data();
    Write_Log_Header();
    EXPECT_EQ(2, FakePlatform::ModuleFileSizeQueries);
}

TEST_F(LogHeaderTest, LaunchUrlReportsWhatTheShellSaid)
{
    EXPECT_NE(0, CUtility::Launch_Url("https://www.tarnwick.example/"));
    FakePlatform::OpenUrlRefused = true;
    EXPECT_EQ(0, CUtility::Launch_Url("mailto:bananas@tarnwick.example"));
    const std::vector<std::string> expected = {"https://www.tarnwick.example/",
                                               "mailto:bananas@tarnwick.example"};
    EXPECT_EQ(expected, FakePlatform::OpenedUrls);
}

using LogHeaderDeathTest = LogHeaderTest;

TEST_F(LogHeaderDeathTest, ASystemWithoutAVersionIsABrokenPrecondition)
{
    FakePlatform::OsVersionFails = true;
    EXPECT_EXIT(CUtility::Log_Os_Data(), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(Write_Log_Header(), ::testing::ExitedWithCode(1), "beep");
}

TEST_F(LogHeaderDeathTest, LaunchUrlWithoutAUrlIsABrokenPrecondition)
{
    EXPECT_EXIT(CUtility::Launch_Url(nullptr), ::testing::ExitedWithCode(1), "beep");
}
