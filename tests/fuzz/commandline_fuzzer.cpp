// The command-line scanner on any bytes, as a zero-terminated line: every pointer it returns
// stays in the line, and its answers keep the promises of commandline.h that hold for any input.
#include "fuzz_check.h"
#include "host/commandline.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

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

bool Inside(const char *pointer, const std::string &line)
{
    return pointer >= line.c_str() && pointer <= line.c_str() + line.size();
}

void Check_Arguments(const std::string &line, const char *arguments, bool single_byte)
{
    FUZZ_CHECK(Inside(arguments, line));
    FUZZ_CHECK(*arguments == '\0' || static_cast<unsigned char>(*arguments) > ' ');
    if (!single_byte)
        return;
    // The name ends after its closing quote, or unquoted at its first blank or control byte;
    // only such bytes lie between it and the arguments.
    const char *name_end = line.c_str();
    const char *quote = strchr(line.c_str() + 1, '"');
    if (line[0] == '"')
        name_end = quote == nullptr ? line.c_str() + line.size() : quote + 1;
    while (line[0] != '"' && static_cast<unsigned char>(*name_end) > ' ')
        ++name_end;
    FUZZ_CHECK(arguments >= name_end);
    for (const char *c = name_end; c < arguments; ++c)
        FUZZ_CHECK(static_cast<unsigned char>(*c) <= ' ');
}

void Check_Switch(const std::string &line, const char *start)
{
    for (const bool windows9x : {false, true})
    {
        const CSaverCommand command = Scan_Saver_Switch(start, windows9x);
        FUZZ_CHECK(command.Argument == nullptr || Inside(command.Argument, line));
        const char *letter = start + strspn(start, " -/");
        FUZZ_CHECK((command.Mode == SAVER_MODE_CONFIGURE) == (*letter == '\0'));
        FUZZ_CHECK(command.Mode != SAVER_MODE_CHANGE_PASSWORD || windows9x);
        const bool takes_argument =
            command.Mode == SAVER_MODE_PREVIEW || command.Mode == SAVER_MODE_CHANGE_PASSWORD;
        if (takes_argument)
            FUZZ_CHECK(command.Argument != nullptr && command.Argument > letter &&
                       *command.Argument != ' ');
        else if (command.Mode != SAVER_MODE_CONFIGURE_OVER)
            FUZZ_CHECK(command.Argument == nullptr);
    }
}

// The leading digits' value modulo 2^32, checked against strtoull while it can hold them.
void Check_Window_Handle(const char *text)
{
    const size_t digits = strspn(text, "0123456789");
    const uint32_t handle = ParseWindowHandle(text);
    if (digits == 0)
        FUZZ_CHECK(handle == 0);
    if (digits > 0 && digits <= 19)
        FUZZ_CHECK(handle == uint32_t(strtoull(std::string(text, digits).c_str(), nullptr, 10)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data),
                           strnlen(reinterpret_cast<const char *>(data), size));
    const char *arguments = Skip_Program_Name(line.c_str(), Next_Byte);
    Check_Arguments(line, arguments, true);
    const char *double_byte_arguments = Skip_Program_Name(line.c_str(), Next_Double_Byte);
    Check_Arguments(line, double_byte_arguments, false);
    // Another code page can only move the end of a quoted name holding a lead byte.
    const bool lead_byte = std::any_of(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x81; });
    if (line[0] != '"' || !lead_byte)
        FUZZ_CHECK(double_byte_arguments == arguments);
    Check_Switch(line, arguments);
    Check_Switch(line, line.c_str());
    Check_Window_Handle(line.c_str());
    Check_Window_Handle(arguments);
    return 0;
}
