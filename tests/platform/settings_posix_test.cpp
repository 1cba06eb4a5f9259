// The settings store as a file: where it lives, its exact text, a file a person wrote, and that
// changes replace it whole and are never lost between processes.
#include "platform/platform.h"
#include "private_settings_home.h"
#include "twutility/registryint.h"
#include "twutility/registrystring.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

const char Location[] = "Software\\Tarnwick\\Quillomar";

class SettingsFileTest : public testing::Test
{
protected:
    std::string Home; // XDG_CONFIG_HOME of the test
    std::string File; // Home/quillomar/settings

    void SetUp() override
    {
        std::string pattern = std::string(Private_Settings_Home()) + "/test-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
        Home = pattern;
        File = Home + "/quillomar/settings";
        setenv("XDG_CONFIG_HOME", Home.c_str(), 1);
    }

    void TearDown() override
    {
        setenv("XDG_CONFIG_HOME", Private_Settings_Home(), 1);
        Remove_Tree(Home.c_str());
    }

    static long Write(const char *name, uint32_t type, const std::string &bytes,
                      const char *path = Location)
    {
        Platform::CSettingsKey *key = nullptr;
        long result = Platform::Create_Settings_Key(Platform::User_Settings_Root(), path, &key);
        if (result == 0)
            result = Platform::Write_Setting(key, name, type, bytes.data(), uint32_t(bytes.size()));
        if (key != nullptr)
            Platform::Close_Settings_Key(key);
        return result;
    }

    ino_t Inode() const
    {
        struct stat status = {};
        stat(File.c_str(), &status);
        return status.st_ino;
    }
};

// A relative XDG_CONFIG_HOME, as an empty or missing one, means ~/.config.
TEST_F(SettingsFileTest, TheFileFollowsTheXdgRulesAndIsTheUsersAlone)
{
    setenv("HOME", Home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative", 1);
    ASSERT_EQ(0, Write("A", Platform::SETTING_NUMBER, "1234"));
    struct stat status = {};
    ASSERT_EQ(0, stat((Home + "/.config/quillomar/settings").c_str(), &status));
    EXPECT_EQ(0600u, status.st_mode & 0777);
    ASSERT_EQ(0, stat((Home + "/.config/quillomar").c_str(), &status));
    EXPECT_EQ(0700u, status.st_mode & 0777);
}

TEST_F(SettingsFileTest, AFileAPersonWroteIsRead)
{
    mkdir((Home + "/quillomar").c_str(), 0700);
    std::ofstream(File) << "Quillomar settings 1\r\n; edited by hand\r\n\r\n"
                           "[SOFTWARE\\tarnwick\\QUILLOMAR]\r\n"
                           "\"VersionMajor\"=dword:FFFFFFFF\n"
                           "\"VersionMajor\"=dword:0000000A\n"
                           "\"VersionMinor\"=hex:02,01,00,00\n"
                           "[Software\\Other]\n"
                           "\"Caption\"=\"tab\\x09\"";
    CRegistryInt major(Location, "versionmajor", 1);
    EXPECT_EQ(10, major.Get_Value()) << "a later line wins";
    EXPECT_EQ(0x102, CRegistryInt(Location, "VersionMinor", 1).Get_Value());
    EXPECT_STREQ("tab\t", CRegistryString("Software\\Other", "Caption", "").Get_Value());
    struct stat status = {};
    EXPECT_NE(0, stat((File + ".damaged").c_str(), &status));
}

TEST_F(SettingsFileTest, AChangeReplacesTheFileWholeAndNoChangeLeavesItAlone)
{
    CRegistryInt major(Location, "VersionMajor", 1);
    const ino_t first = Inode();
    major.Set_Value(1);
    EXPECT_EQ(first, Inode());
    major.Set_Value(2);
    EXPECT_NE(first, Inode()) << "renamed over, never rewritten in place";
}

TEST_F(SettingsFileTest, BadKeyPathsAndAStoreThatCannotBeMadeAreRefused)
{
    const std::string long_part(256, 'k');
    for (const char *bad : {"\\Leading", "Trailing\\", "Two\\\\Parts", "Tab\t", long_part.c_str()})
        EXPECT_NE(0, Write("A", Platform::SETTING_NUMBER, "1234", bad)) << bad;
    EXPECT_NE(0, Platform::Write_Setting(Platform::User_Settings_Root(), "AtTheRoot",
                                         Platform::SETTING_TEXT, "", 1));
    std::ofstream(Home + "/file") << "x";
    setenv("XDG_CONFIG_HOME", (Home + "/file").c_str(), 1);
    EXPECT_EQ(ENOTDIR, Write("A", Platform::SETTING_NUMBER, "1234"));
}

TEST_F(SettingsFileTest, TwoProcessesWritingAtOnceLoseNothing)
{
    pid_t children[2];
    for (int child = 0; child < 2; ++child)
    {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        for (int i = 0; children[child] == 0 && i < 40; ++i)
        {
            const std::string name = std::string(1, char('A' + child)) + std::to_string(i);
            if (Write(name.c_str(), Platform::SETTING_TEXT, std::string("x", 2)) != 0)
                _exit(2);
        }
        if (children[child] == 0)
            _exit(0);
    }
    for (const pid_t child : children)
    {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_EQ(0, status);
    }
    const std::string text = Read_File(File);
    for (const char *name : {"A0", "A39", "B0", "B39", "A17", "B23"})
        EXPECT_NE(std::string::npos, text.find("\"" + std::string(name) + "\"=\"x\"\n")) << name;
}

} // namespace
