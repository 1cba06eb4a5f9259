// The command-line scanner: program-name skipping, the switch scan and window handles.
#include "host/commandline.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

const char *Next_Byte(const char *text)
{
    return text + 1;
}

std::string Arguments_Of(const char *command_line)
{
    return Skip_Program_Name(command_line, Next_Byte);
}

} // namespace

TEST(SkipProgramName, QuotedAndUnquotedNames)
{
    struct Case
    {
        const char *Line;
        const char *Arguments;
    };
    const Case cases[] = {
        {"Quillomar.scr /s", "/s"},
        {"\"C:\\Program Files\\Quillomar.scr\" /p 1234", "/p 1234"},
        {"\"C:\\Program Files\\Quillomar.scr\"/c:55", "/c:55"},
        {"\"C:\\unterminated name /s", ""},
        {"\"\"", ""},
        {"\"", ""},
        {"", ""},
        {"Quillomar.scr", ""},
        {"Quillomar.scr \t\r\n  /S", "/S"},
        {"Quillomar.scr\t/s", "/s"},
        {"Bananen\xe4.scr /s", "/s"}, // bytes of 0x80 and above belong to the name
        {"Quillomar.scr \x01\x1f/a", "/a"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.Arguments, Arguments_Of(c.Line)) << "line: " << c.Line;
}

TEST(SkipProgramName, StepsThroughTheNameWithTheGivenCharacterFunction)
{
    // A double-byte code page may have a quote as a trail byte: the caller's step decides.
    const char *line = "\"AB\x81\"C\" /s";
    auto two_byte_step = [](const char *text) -> const char *
    { return static_cast<unsigned char>(*text) == 0x81 && text[1] != '\0' ? text + 2 : text + 1; };
    EXPECT_STREQ("/s", Skip_Program_Name(line, two_byte_step));
    EXPECT_STREQ("C\" /s", Skip_Program_Name(line, Next_Byte));
}

TEST(ScanSaverSwitch, EachFormSelectsItsMode)
{
    struct Case
    {
        const char *Arguments;
        bool Windows9x;
        ESaverMode Mode;
        const char *Argument; // nullptr: none
    };
    const Case cases[] = {
        {"", false, SAVER_MODE_CONFIGURE, nullptr},
        {"/", false, SAVER_MODE_CONFIGURE, nullptr},
        {" - ", false, SAVER_MODE_CONFIGURE, nullptr},
        {"--//  ", false, SAVER_MODE_CONFIGURE, nullptr},
        {"/s", false, SAVER_MODE_FULL_SCREEN, nullptr},
        {"-S", false, SAVER_MODE_FULL_SCREEN, nullptr},
        {"s", false, SAVER_MODE_FULL_SCREEN, nullptr},
        {"/S 99", false, SAVER_MODE_FULL_SCREEN, nullptr},
        {"/p 1234", false, SAVER_MODE_PREVIEW, "1234"},
        {"/p1234", false, SAVER_MODE_PREVIEW, "1234"},
        {"/P    1234 junk", false, SAVER_MODE_PREVIEW, "1234 junk"},
        {"/l 1234", false, SAVER_MODE_PREVIEW, "1234"},
        {"-L5", false, SAVER_MODE_PREVIEW, "5"},
        {"/p:1234", false, SAVER_MODE_PREVIEW, ":1234"},
        {"/p", false, SAVER_MODE_PREVIEW, ""},
        {"/c", false, SAVER_MODE_CONFIGURE_OVER, nullptr},
        {"/c:5678", false, SAVER_MODE_CONFIGURE_OVER, "5678"},
        {"/C:", false, SAVER_MODE_CONFIGURE_OVER, ""},
        {"/c 1234", false, SAVER_MODE_CONFIGURE_OVER, nullptr},
        {"/a", false, SAVER_MODE_BAD_SWITCH, nullptr},
        {"/a 77", true, SAVER_MODE_CHANGE_PASSWORD, "77"},
        {"-A", true, SAVER_MODE_CHANGE_PASSWORD, ""},
        {"/x", false, SAVER_MODE_BAD_SWITCH, nullptr},
        {"/1", false, SAVER_MODE_BAD_SWITCH, nullptr},
        {"/?", false, SAVER_MODE_BAD_SWITCH, nullptr},
        {"\t/s", false, SAVER_MODE_BAD_SWITCH, nullptr}, // a tab is not a separator
        {"/\xe9", false, SAVER_MODE_BAD_SWITCH, nullptr},
        {"/ss", false, SAVER_MODE_FULL_SCREEN, nullptr},
    };
    for (const Case &c : cases)
    {
        const CSaverCommand command = Scan_Saver_Switch(c.Arguments, c.Windows9x);
        EXPECT_EQ(c.Mode, command.Mode) << "arguments: " << c.Arguments;
        if (c.Argument == nullptr)
            EXPECT_EQ(nullptr, command.Argument) << "arguments: " << c.Arguments;
        else
            EXPECT_STREQ(c.Argument, command.Argument) << "arguments: " << c.Arguments;
    }
}

TEST(ParseWindowHandle, LeadingDigitsOnlyWrappingAt32Bits)
{
    struct Case
    {
        const char *Text;
        uint32_t Value;
    };
    const Case cases[] = {
        {"1234", 1234u},
        {"1234 5678", 1234u},
        {"00042", 42u},
        {"", 0u},
        {"abc", 0u},
        {"-5", 0u},
        {" 5", 0u},
        {"0x10", 0u},
        {"4294967295", 4294967295u},
        {"4294967296", 0u},
        {"4294967297", 1u},
        {"99999999999999999999", 1661992959u}, // 10^20 - 1 modulo 2^32
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.Value, ParseWindowHandle(c.Text)) << "text: " << c.Text;
}
