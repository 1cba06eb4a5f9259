#include "commandline.h"

#include <cstddef>

static const char *Skip_Blanks(const char *text)
{
    while (*text == ' ')
        ++text;
    return text;
}

const char *Skip_Program_Name(const char *command_line, CNextCharacter next_character)
{
    const char *text = command_line;
    if (*text == '"')
    {
        do
            text = next_character(text);
        while (*text != '\0' && *text != '"');
        if (*text == '"')
            ++text;
    }
    else
    {
        // Unsigned, so bytes of 0x80 and above belong to the name.
        while (static_cast<unsigned char>(*text) > ' ')
            ++text;
    }
    while (*text != '\0' && static_cast<unsigned char>(*text) <= ' ')
        ++text;
    return text;
}

CSaverCommand Scan_Saver_Switch(const char *arguments, bool windows9x_platform)
{
    const char *text = arguments;
    while (*text == ' ' || *text == '-' || *text == '/')
        ++text;
    switch (*text)
    {
        case '\0':
            return {SAVER_MODE_CONFIGURE, nullptr};
        case 'S':
        case 's':
            return {SAVER_MODE_FULL_SCREEN, nullptr};
        case 'P':
        case 'p':
        case 'L':
        case 'l':
            return {SAVER_MODE_PREVIEW, Skip_Blanks(text + 1)};
        case 'C':
        case 'c':
            return {SAVER_MODE_CONFIGURE_OVER, text[1] == ':' ? text + 2 : nullptr};
        case 'A':
        case 'a':
            if (!windows9x_platform)
                return {SAVER_MODE_BAD_SWITCH, nullptr};
            return {SAVER_MODE_CHANGE_PASSWORD, Skip_Blanks(text + 1)};
        default:
            return {SAVER_MODE_BAD_SWITCH, nullptr};
    }
}

uint32_t ParseWindowHandle(const char *text)
{
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + uint32_t(*text - '0');
    return value;
}
