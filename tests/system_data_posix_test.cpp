// The POSIX side of the log header's system data and of opening a URL, against the real
// system. The opener is a script the test puts first on PATH in place of xdg-open.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

std::string Read_File(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool Exists(const std::string &path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

} // namespace

TEST(SystemDataPosix, VersionRecordIsTheKernelsRelease)
{
    utsname names;
    ASSERT_EQ(0, uname(&names));
    Platform::COsVersion version = {};
    ASSERT_TRUE(Platform::Read_Os_Version(&version));
    unsigned major = 0, minor = 0, build = 0;
    sscanf(names.release, "%u.%u.%u", &major, &minor, &build);
    EXPECT_EQ(major, version.MajorVersion);
    EXPECT_EQ(minor, version.MinorVersion);
    EXPECT_EQ(build, version.BuildNumber);
    EXPECT_EQ(Platform::OS_PLATFORM_POSIX, version.PlatformId);
    EXPECT_EQ(std::string(names.sysname) + " " + names.release, version.ServicePack);
}

TEST(SystemDataPosix, MemoryAndProcessors)
{
    Platform::CMemoryStatus memory = {};
    ASSERT_TRUE(Platform::Read_Memory_Status(&memory));
    EXPECT_EQ(uint64_t(sysconf(_SC_PHYS_PAGES)) * uint64_t(sysconf(_SC_PAGESIZE)),
              memory.TotalPhysical);
    EXPECT_LE(memory.AvailablePhysical, memory.TotalPhysical);
    EXPECT_GT(memory.AvailablePhysical, 0u);
    EXPECT_EQ(sysconf(_SC_NPROCESSORS_ONLN), Platform::Processor_Count());
}

TEST(SystemDataPosix, ModuleFileIsThisProgramWithItsSize)
{
    char expected[4096];
    const ssize_t length = readlink("/proc/self/exe", expected, sizeof(expected) - 1);
    ASSERT_GT(length, 0);
    expected[length] = '\0';

    char path[4096];
    ASSERT_TRUE(Platform::Module_File_Name(path, sizeof(path)));
    EXPECT_STREQ(expected, path);
    // The exact fit and one byte less.
    EXPECT_TRUE(Platform::Module_File_Name(path, size_t(length) + 2));
    char *cut = new char[size_t(length) + 1];
    EXPECT_FALSE(Platform::Module_File_Name(cut, size_t(length) + 1));
    EXPECT_STREQ("", cut);
    delete[] cut;

    struct stat status;
    ASSERT_EQ(0, stat(expected, &status));
    uint64_t size = 0;
    ASSERT_TRUE(Platform::Read_File_Size(expected, &size));
    EXPECT_EQ(uint64_t(status.st_size), size);
    EXPECT_FALSE(Platform::Read_File_Size("/nonexistent/quillomar", &size));
}

class OpenUrlPosix : public ::testing::Test
{
protected:
    std::string Directory; // holds the opener and what it records
    std::string SavedPath;

    void SetUp() override
    {
        char pattern[] = "/tmp/quillomar-opener-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        Directory = pattern;
        SavedPath = getenv("PATH") != nullptr ? getenv("PATH") : "";
        setenv("PATH", (Directory + "/bin").c_str(), 1);
        mkdir((Directory + "/bin").c_str(), 0700);
    }

    void TearDown() override
    {
        setenv("PATH", SavedPath.c_str(), 1);
        const std::string command = "rm -rf '" + Directory + "'";
        EXPECT_EQ(0, system(command.c_str()));
    }

    // An xdg-open that records its pid and each argument on a line of its own, then runs body.
    void Install_Opener(const std::string &body)
    {
        const std::string opener = Directory + "/bin/xdg-open";
        std::ofstream(opener) << "#!/bin/sh\n"
                              << "echo $$ > '" << Directory << "/pid'\n"
                              << "for argument in \"$@\"; do printf '%s\\n' \"$argument\"; done"
                              << " > '" << Directory << "/arguments'\n"
                              << body << "\n";
        chmod(opener.c_str(), 0700);
    }

    std::string Arguments() const { return Read_File(Directory + "/arguments"); }
};

TEST_F(OpenUrlPosix, TheUrlReachesTheOpenerAsOneArgumentUntouchedByAnyShell)
{
    Install_Opener("exit 0");
    const char url[] = "https://www.tarnwick.example/a b?x=1&y='2';echo \"$(id)\" `id` *|>out";
    long error_code = -1;
    EXPECT_TRUE(Platform::Open_Url(url, &error_code));
    EXPECT_EQ(std::string(url) + "\n", Arguments());
    EXPECT_FALSE(Exists("out"));
    EXPECT_TRUE(Platform::Open_Url("mailto:bananas@tarnwick.example", &error_code));
    EXPECT_EQ("mailto:bananas@tarnwick.example\n", Arguments());
}

TEST_F(OpenUrlPosix, ARefusalIsFalseWithTheReason)
{
    struct
    {
        const char *What;
        const char *Opener; // body of the script; NULL: no opener on PATH
        const char *Url;
        long ErrorCode;
        bool OpenerRuns;
    } cases[] = {
        {"no opener installed", nullptr, "https://x.example/", ENOENT, false},
        {"opener finds no handler", "exit 3", "https://x.example/", 3, true},
        {"opener fails to open", "exit 4", "mailto:x@x.example", 4, true},
        {"opener killed", "kill -9 $$", "https://x.example/", 128 + SIGKILL, true},
        {"a URL that reads as an option", "exit 0", "--help", EINVAL, false},
        {"an empty URL", "exit 0", "", EINVAL, false},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.What);
        unlink((Directory + "/bin/xdg-open").c_str());
        unlink((Directory + "/arguments").c_str());
        if (c.Opener != nullptr)
            Install_Opener(c.Opener);
        long error_code = 0;
        EXPECT_FALSE(Platform::Open_Url(c.Url, &error_code));
        EXPECT_EQ(c.ErrorCode, error_code);
        EXPECT_EQ(c.OpenerRuns, Exists(Directory + "/arguments"));
    }
}

TEST_F(OpenUrlPosix, AnOpenerThatKeepsRunningCountsAsAccepted)
{
    // Some desktops' openers run the browser in the foreground; the wait for it is bounded.
    Install_Opener("exec /bin/sleep 60");
    long error_code = 0;
    EXPECT_TRUE(Platform::Open_Url("https://x.example/", &error_code));
    const pid_t opener = pid_t(atol(Read_File(Directory + "/pid").c_str()));
    ASSERT_GT(opener, 0);
    EXPECT_EQ(0, kill(opener, 0)) << "the opener should still run";
    kill(opener, SIGKILL);
    waitpid(opener, nullptr, 0);
}
