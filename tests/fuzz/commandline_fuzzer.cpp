// The command-line scanner on any bytes, as a zero-terminated line: every pointer it returns
// stays in the line, and each answer agrees with what commandline.h promises, worked out here
// independently.
#include "fuzz_check.h"
#include "host/commandline.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

const char *Next_Byte(const char *text)
{
    return text + 1;
}

// A double-byte code page: a byte from 0x81 on leads a pair, unless the line ends after it.
const char *Next_Double_Byte(const char *text)
{
    return static_cast<unsigned char>(*text) >= 0x81 && text[1] != '\0' ? text + 2 : text + 1;
}

bool Inside(const char *pointer, const char *line, size_t length)
{
    return pointer >= line && pointer <= line + length;
}

bool Below_Or_Blank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// Past the blanks and control characters that follow the name ending at end.
size_t Past_Blanks(const char *line, size_t length, size_t end)
{
    while (end < length && Below_Or_Blank(line[end]))
        ++end;
    return end;
}

// Where the arguments start, read from the header's words with the one-byte step.
size_t Expected_Arguments(const char *line, size_t length)
{
    size_t end = 0;
    if (line[0] == '"')
    {
        const void *quote = length > 1 ? memchr(line + 1, '"', length - 1) : nullptr;
        end = quote != nullptr ? size_t(static_cast<const char *>(quote) - line) + 1 : length;
    }
    else
    {
        while (end < length && !Below_Or_Blank(line[end]))
            ++end;
    }
    return Past_Blanks(line, length, end);
}

// The same with the double-byte step: a quoted name ends at the first quote that starts a
// character, not at one that trails a lead byte.
size_t Expected_Double_Byte_Arguments(const char *line, size_t length)
{
    if (line[0] != '"')
        return Expected_Arguments(line, length);
    size_t i = 1;
    while (i < length && line[i] != '"')
        i += static_cast<unsigned char>(line[i]) >= 0x81 && i + 1 < length ? 2 : 1;
    return Past_Blanks(line, length, i < length ? i + 1 : length);
}

bool Is_Mode(ESaverMode mode)
{
    switch (mode)
    {
        case SAVER_MODE_CONFIGURE:
        case SAVER_MODE_CONFIGURE_OVER:
        case SAVER_MODE_FULL_SCREEN:
        case SAVER_MODE_PREVIEW:
        case SAVER_MODE_CHANGE_PASSWORD:
        case SAVER_MODE_BAD_SWITCH:
            return true;
    }
    return false;
}

// The switch scan's answer from the header's words; offsets count from the arguments' start.
void Expect_Switch(const char *arguments, size_t length, bool windows9x, CSaverCommand command)
{
    FUZZ_CHECK(Is_Mode(command.Mode));
    FUZZ_CHECK(command.Argument == nullptr || Inside(command.Argument, arguments, length));
    size_t letter = 0;
    while (letter < length && strchr(" -/", arguments[letter]) != nullptr)
        ++letter;
    const char c = arguments[letter];
    // The text after the letter and its blanks.
    size_t after_blanks = letter + 1;
    while (after_blanks < length && arguments[after_blanks] == ' ')
        ++after_blanks;
    if (c == '\0')
    {
        FUZZ_CHECK(command.Mode == SAVER_MODE_CONFIGURE && command.Argument == nullptr);
    }
    else if (c == 's' || c == 'S')
    {
        FUZZ_CHECK(command.Mode == SAVER_MODE_FULL_SCREEN && command.Argument == nullptr);
    }
    else if (c == 'p' || c == 'P' || c == 'l' || c == 'L')
    {
        FUZZ_CHECK(command.Mode == SAVER_MODE_PREVIEW);
        FUZZ_CHECK(command.Argument == arguments + after_blanks);
    }
    else if (c == 'c' || c == 'C')
    {
        FUZZ_CHECK(command.Mode == SAVER_MODE_CONFIGURE_OVER);
        if (arguments[letter + 1] == ':')
            FUZZ_CHECK(command.Argument == arguments + letter + 2);
        else
            FUZZ_CHECK(command.Argument == nullptr);
    }
    else if ((c == 'a' || c == 'A') && windows9x)
    {
        FUZZ_CHECK(command.Mode == SAVER_MODE_CHANGE_PASSWORD);
        FUZZ_CHECK(command.Argument == arguments + after_blanks);
    }
    else
    {
        FUZZ_CHECK(command.Mode == SAVER_MODE_BAD_SWITCH && command.Argument == nullptr);
    }
}

// The leading digits' value modulo 2^32, in 64 bits, and again through strtoull when the
// digits are few enough for it.
void Expect_Window_Handle(const char *text)
{
    size_t digits = 0;
    uint64_t value = 0;
    while (text[digits] >= '0' && text[digits] <= '9')
    {
        value = (value * 10 + uint64_t(text[digits] - '0')) % (uint64_t(1) << 32);
        ++digits;
    }
    const uint32_t handle = ParseWindowHandle(text);
    FUZZ_CHECK(handle == value);
    if (digits == 0)
        FUZZ_CHECK(handle == 0);
    if (digits > 0 && digits <= 19)
    {
        char copy[20];
        memcpy(copy, text, digits);
        copy[digits] = '\0';
        FUZZ_CHECK(handle == uint32_t(strtoull(copy, nullptr, 10)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> buffer(size + 1);
    if (size > 0)
        memcpy(buffer.data(), data, size);
    buffer[size] = '\0';
    const char *line = buffer.data();
    const size_t length = strlen(line);

    const char *arguments = Skip_Program_Name(line, Next_Byte);
    FUZZ_CHECK(Inside(arguments, line, length));
    FUZZ_CHECK(arguments == line + Expected_Arguments(line, length));
    FUZZ_CHECK(*arguments == '\0' || !Below_Or_Blank(*arguments));

    // Another code page moves only where a lead byte can hide a quote: in a quoted name.
    const char *double_byte_arguments = Skip_Program_Name(line, Next_Double_Byte);
    FUZZ_CHECK(Inside(double_byte_arguments, line, length));
    FUZZ_CHECK(double_byte_arguments == line + Expected_Double_Byte_Arguments(line, length));
    FUZZ_CHECK(*double_byte_arguments == '\0' || !Below_Or_Blank(*double_byte_arguments));
    bool lead_byte_in_name = false;
    for (const char *c = line; line[0] == '"' && c < arguments; ++c)
        lead_byte_in_name = lead_byte_in_name || static_cast<unsigned char>(*c) >= 0x81;
    if (!lead_byte_in_name)
        FUZZ_CHECK(double_byte_arguments == arguments);

    // The switch of the real arguments and of the whole line, on both platform families.
    const char *starts[] = {arguments, line};
    for (const char *start : starts)
    {
        const size_t start_length = length - size_t(start - line);
        for (const bool windows9x : {false, true})
        {
            const CSaverCommand command = Scan_Saver_Switch(start, windows9x);
            Expect_Switch(start, start_length, windows9x, command);
            if (command.Argument != nullptr)
                Expect_Window_Handle(command.Argument);
        }
    }
    Expect_Window_Handle(line);
    Expect_Window_Handle(arguments);
    return 0;
}
