// The options as a real start finds and leaves them: a program built like the saver
// (options_probe.cpp) starts against the file store and prints the five values.
#include "platform/platform.h"
#include "private_settings_home.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace
{

const char Header[] = "Quillomar settings 1\n"
                      "[Software\\Tarnwick\\Quillomar]\n";

std::string Read_File(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class OptionsStartTest : public ::testing::Test
{
protected:
    std::string Home;
    std::string File;

    void SetUp() override
    {
        Home = std::string(Private_Settings_Home()) + "/start-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(&Home[0]));
        File = Home + "/quillomar/settings";
        setenv("XDG_CONFIG_HOME", Home.c_str(), 1);
    }

    void TearDown() override
    {
        setenv("XDG_CONFIG_HOME", Private_Settings_Home(), 1);
        Remove_Tree(Home.c_str());
    }

    void Write_Settings(const std::string &text)
    {
        mkdir((Home + "/quillomar").c_str(), 0700);
        std::ofstream(File, std::ios::binary) << text;
    }

    // What the program printed, empty when it did not end normally.
    static std::string Start_Program()
    {
        FILE *output = popen(OPTIONS_PROBE, "r");
        if (output == nullptr)
            return "";
        char line[256] = "";
        const bool read = fgets(line, sizeof(line), output) != nullptr;
        return pclose(output) == 0 && read ? line : "";
    }
};

} // namespace

TEST_F(OptionsStartTest, AFirstStartCreatesTheKeyWithAllFiveInitialValues)
{
    EXPECT_EQ("ReleaseLogging=0 ShowFramerate=0 CurrentConfigureSheet=0 VersionMajor=1 "
              "VersionMinor=1\n",
              Start_Program());
    EXPECT_EQ("Quillomar settings 1\n"
              "[Software]\n"
              "[Software\\Tarnwick]\n"
              "[Software\\Tarnwick\\Quillomar]\n"
              "\"ReleaseLogging\"=dword:00000000\n"
              "\"ShowFramerate\"=dword:00000000\n"
              "\"CurrentConfigureSheet\"=dword:00000000\n"
              "\"VersionMajor\"=dword:00000001\n"
              "\"VersionMinor\"=dword:00000001\n",
              Read_File(File));
}

TEST_F(OptionsStartTest, StoredValuesAreKeptAsTheyAre)
{
    const std::string stored = std::string(Header) + "\"ReleaseLogging\"=dword:00000001\n"
                                                     "\"ShowFramerate\"=dword:00000002\n"
                                                     "\"CurrentConfigureSheet\"=dword:00000001\n"
                                                     "\"VersionMajor\"=dword:00000003\n"
                                                     "\"VersionMinor\"=dword:00000007\n";
    Write_Settings(stored);
    EXPECT_EQ("ReleaseLogging=1 ShowFramerate=2 CurrentConfigureSheet=1 VersionMajor=3 "
              "VersionMinor=7\n",
              Start_Program());
    // Nothing changed (the parent keys are implied), so the file is as it was.
    EXPECT_EQ(stored, Read_File(File));
}

TEST_F(OptionsStartTest, ValuesOfAnotherTypeAreReplacedByTheirInitialNumbers)
{
    Write_Settings(std::string(Header) + "\"VersionMinor\"=\"5\"\n"
                                         "\"ShowFramerate\"=hex:01\n");
    EXPECT_EQ("ReleaseLogging=0 ShowFramerate=0 CurrentConfigureSheet=0 VersionMajor=1 "
              "VersionMinor=1\n",
              Start_Program());
    const std::string text = Read_File(File);
    EXPECT_NE(std::string::npos, text.find("\"VersionMinor\"=dword:00000001\n"));
    EXPECT_NE(std::string::npos, text.find("\"ShowFramerate\"=dword:00000000\n"));
}

TEST_F(OptionsStartTest, ADamagedFileDoesNotStopTheProgram)
{
    Write_Settings("\x7f"
                   "ELF garbage\n");
    EXPECT_EQ("ReleaseLogging=0 ShowFramerate=0 CurrentConfigureSheet=0 VersionMajor=1 "
              "VersionMinor=1\n",
              Start_Program());
    EXPECT_EQ("\x7f"
              "ELF garbage\n",
              Read_File(File + ".damaged"));
    EXPECT_NE(std::string::npos, Read_File(File).find("\"VersionMinor\"=dword:00000001\n"));
}

TEST_F(OptionsStartTest, AStoreThatCannotBeWrittenStopsTheProgramAtStart)
{
    std::ofstream(Home + "/file") << "x";
    setenv("XDG_CONFIG_HOME", (Home + "/file").c_str(), 1);
    FILE *output = popen(OPTIONS_PROBE " 2>/dev/null", "r");
    ASSERT_NE(nullptr, output);
    char line[256] = "";
    EXPECT_EQ(nullptr, fgets(line, sizeof(line), output)) << "main ran: " << line;
    const int status = pclose(output);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(1, WEXITSTATUS(status));
}
