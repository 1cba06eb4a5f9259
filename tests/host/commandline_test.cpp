#include "host/commandline.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

const char *Next_Byte(const char *text)
{
    return text + 1;
}

TEST(SkipProgramNameTest, AQuotedNameEndsAtItsClosingQuoteSteppedThroughByCharacters)
{
    // A double-byte character whose second byte is a quote does not end the name.
    const auto next = [](const char *text) { return text + (*text == '\x81' ? 2 : 1); };
    EXPECT_STREQ("/s", Skip_Program_Name("\"a\x81\"b\" /s", next));
    EXPECT_STREQ("/p 1", Skip_Program_Name("\"C:\\Program Files\\Q.scr\"\t /p 1", Next_Byte));
    EXPECT_STREQ("", Skip_Program_Name("\"C:\\unterminated /s", Next_Byte));
}

struct CSwitch
{
    const char *Arguments;
    bool Windows9x;
    ESaverMode Mode;
    const char *Argument; // null when there is none
};

class ScanSaverSwitchTest : public testing::TestWithParam<CSwitch>
{
};

TEST_P(ScanSaverSwitchTest, TheFirstLetterChoosesTheMode)
{
    const CSwitch &row = GetParam();
    const CSaverCommand command = Scan_Saver_Switch(row.Arguments, row.Windows9x);
    EXPECT_EQ(row.Mode, command.Mode) << row.Arguments;
    if (row.Argument == nullptr)
        EXPECT_EQ(nullptr, command.Argument) << row.Arguments;
    else
        EXPECT_STREQ(row.Argument, command.Argument) << row.Arguments;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScanSaverSwitchTest,
    testing::Values(CSwitch{"", false, SAVER_MODE_CONFIGURE, nullptr},
                    CSwitch{" -/ ", false, SAVER_MODE_CONFIGURE, nullptr},
                    CSwitch{"/s", false, SAVER_MODE_FULL_SCREEN, nullptr},
                    CSwitch{"-S 99", false, SAVER_MODE_FULL_SCREEN, nullptr},
                    CSwitch{"/p 1234", false, SAVER_MODE_PREVIEW, "1234"},
                    CSwitch{"/P1234", false, SAVER_MODE_PREVIEW, "1234"},
                    CSwitch{"/l   5 junk", false, SAVER_MODE_PREVIEW, "5 junk"},
                    CSwitch{"L", false, SAVER_MODE_PREVIEW, ""},
                    CSwitch{"/c", false, SAVER_MODE_CONFIGURE_OVER, nullptr},
                    CSwitch{"/C:5678", false, SAVER_MODE_CONFIGURE_OVER, "5678"},
                    CSwitch{"/c 1234", false, SAVER_MODE_CONFIGURE_OVER, nullptr},
                    CSwitch{"/a", false, SAVER_MODE_BAD_SWITCH, nullptr},
                    CSwitch{"/A  77", true, SAVER_MODE_CHANGE_PASSWORD, "77"},
                    CSwitch{"/x", false, SAVER_MODE_BAD_SWITCH, nullptr},
                    CSwitch{"\t/s", false, SAVER_MODE_BAD_SWITCH, nullptr},
                    CSwitch{"/\xe9", true, SAVER_MODE_BAD_SWITCH, nullptr}));

class ParseWindowHandleTest : public testing::TestWithParam<std::pair<const char *, uint32_t>>
{
};

TEST_P(ParseWindowHandleTest, LeadingDigitsWrappingAt32Bits)
{
    EXPECT_EQ(GetParam().second, ParseWindowHandle(GetParam().first)) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(Table, ParseWindowHandleTest,
                         testing::Values(std::make_pair("1234 5678", 1234u),
                                         std::make_pair("09", 9u), std::make_pair("", 0u),
                                         std::make_pair("-5", 0u), std::make_pair(":7", 0u),
                                         std::make_pair("4294967295", 4294967295u),
                                         std::make_pair("4294967297", 1u)));

} // namespace
