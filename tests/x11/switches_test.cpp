#include "x11/switches.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace
{

CSwitches Parse(std::vector<const char *> arguments)
{
    arguments.insert(arguments.begin(), "quillomar");
    return Parse_Switches(int(arguments.size()), arguments.data());
}

struct CLine
{
    std::vector<const char *> Arguments;
    ETarget Target;
    unsigned long WindowId;
    bool ShowFramerate;
    long DelayMicroseconds;
};

class SwitchesTest : public testing::TestWithParam<CLine>
{
};

TEST_P(SwitchesTest, OneOrTwoDashesAndIdsInHexOrDecimal)
{
    const CLine &line = GetParam();
    const CSwitches switches = Parse(line.Arguments);
    EXPECT_STREQ("", switches.Error);
    EXPECT_EQ(line.Target, switches.Target);
    EXPECT_EQ(line.WindowId, switches.WindowId);
    EXPECT_EQ(line.ShowFramerate, switches.ShowFramerate);
    EXPECT_EQ(line.DelayMicroseconds, switches.DelayMicroseconds);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SwitchesTest,
    testing::Values(
        CLine{{}, TARGET_OWN_WINDOW, 0, false, 30000},
        CLine{{"--root", "--fps", "--delay", "0"}, TARGET_ROOT, 0, true, 0},
        CLine{{"-window-id", "0x3A0001F"}, TARGET_WINDOW_ID, 0x3a0001f, false, 30000},
        CLine{{"--window-id", "60817439", "-delay", "1000000"},
              TARGET_WINDOW_ID,
              60817439,
              false,
              1000000},
        CLine{{"--window-id", "0xffffffff"}, TARGET_WINDOW_ID, 0xffffffff, false, 30000}));

// Every line XScreenSaver's settings build from packaging/linux/quillomar.xml (the slider's
// switch at either end or, at its default, left out; the box's switch or none) means what the
// description says, so that the two cannot drift apart.
TEST(SettingsDescriptionTest, EachLineItMakesMeansWhatItSays)
{
    std::ifstream stream(QUILLOMAR_XML);
    const std::string xml{std::istreambuf_iterator<char>(stream), {}};
    std::smatch found; // the command's switch; the slider's, its ends and its default; the box's
    ASSERT_TRUE(std::regex_search(
        xml, found,
        std::regex("<command arg=\"(\\S+)\"[^]*<number [^>]*arg=\"(\\S+) %\"[^>]* low=\"(\\d+)\" "
                   "high=\"(\\d+)\" default=\"(\\d+)\"[^]*<boolean [^>]*arg-set=\"(\\S+)\"")));
    const std::vector<std::string> text(found.begin(), found.end());
    for (const int value : {3, 4, 5})
        for (const bool box : {false, true})
        {
            std::vector<const char *> line = {text[1].c_str()};
            if (value != 5)
                line.insert(line.end(), {text[2].c_str(), text[value].c_str()});
            if (box)
                line.push_back(text[6].c_str());
            const CSwitches switches = Parse(line);
            EXPECT_STREQ("", switches.Error);
            EXPECT_EQ(box, switches.ShowFramerate);
            EXPECT_EQ(atol(text[value].c_str()), switches.DelayMicroseconds) << text[value];
        }
}

class BadSwitchesTest : public testing::TestWithParam<std::vector<const char *>>
{
};

TEST_P(BadSwitchesTest, AreRefusedNamingWhatIsWrong)
{
    const CSwitches switches = Parse(GetParam());
    const std::string error = switches.Error;
    EXPECT_NE(std::string::npos, error.find(GetParam().back())) << error;
}

INSTANTIATE_TEST_SUITE_P(Lines, BadSwitchesTest,
                         testing::Values(std::vector<const char *>{"--fps", "--bogus"},
                                         std::vector<const char *>{"root"},
                                         std::vector<const char *>{"---root"},
                                         std::vector<const char *>{"--window-id"},
                                         std::vector<const char *>{"--window-id", "0"},
                                         std::vector<const char *>{"--window-id", "0x"},
                                         std::vector<const char *>{"--window-id", "0x100000000"},
                                         std::vector<const char *>{"--window-id", "12abc"},
                                         std::vector<const char *>{"--window-id", "-5"},
                                         std::vector<const char *>{"--delay", "1000001"},
                                         std::vector<const char *>{"--delay", "-1"},
                                         std::vector<const char *>{"--delay"}));

TEST(SwitchesHelpTest, AskedForWithEitherSpelling)
{
    EXPECT_TRUE(Parse({"--help"}).Help);
    EXPECT_TRUE(Parse({"-h"}).Help);
    EXPECT_FALSE(Parse({"--root"}).Help);
}

} // namespace
