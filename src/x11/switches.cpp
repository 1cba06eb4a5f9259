#include "x11/switches.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char Usage[] =
    "usage: quillomar [--root | --window-id <id>] [--fps] [--delay <microseconds>]\n"
    "  (no switch)         a window of its own; a key or closing it ends it\n"
    "  --root              the screen saver's window ($XSCREENSAVER_WINDOW), else "
    "the root window\n"
    "  --window-id <id>    a foreign window, such as a preview pane (0x... or "
    "decimal)\n"
    "  --fps               the frame rate in the top right corner\n"
    "  --delay <us>        pause after each frame, default 30000; 0 for none\n"
    "  --help              this text\n";

// Digits only, in the given base, the whole text, within 32 bits.
static bool Parse_Unsigned(const char *text, int base, unsigned long *value)
{
    if (text[0] == '\0')
        return false;
    for (const char *c = text; *c != '\0'; ++c)
    {
        const bool digit =
            base == 16 ? strchr("0123456789abcdefABCDEF", *c) != nullptr : (*c >= '0' && *c <= '9');
        if (!digit)
            return false;
    }
    errno = 0;
    const unsigned long long parsed = strtoull(text, nullptr, base);
    if (errno != 0 || parsed > 0xFFFFFFFFull)
        return false;
    *value = static_cast<unsigned long>(parsed);
    return true;
}

bool Parse_Window_Id(const char *text, unsigned long *id)
{
    if (text == nullptr)
        return false;
    unsigned long value = 0;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (!Parse_Unsigned(hex ? text + 2 : text, hex ? 16 : 10, &value) || value == 0)
        return false;
    *id = value;
    return true;
}

// "-name" and "--name" alike.
static bool Is_Switch(const char *argument, const char *name)
{
    if (argument[0] != '-')
        return false;
    const char *rest = argument[1] == '-' ? argument + 2 : argument + 1;
    return strcmp(rest, name) == 0;
}

static CSwitches Refuse(CSwitches switches, const char *what, const char *argument)
{
    snprintf(switches.Error, sizeof(switches.Error), "%s: %s", what, argument);
    return switches;
}

CSwitches Parse_Switches(int argc, const char *const *argv)
{
    CSwitches switches;
    for (int i = 1; i < argc; ++i)
    {
        const char *argument = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (Is_Switch(argument, "root"))
        {
            switches.Target = TARGET_ROOT;
        }
        else if (Is_Switch(argument, "window-id"))
        {
            if (value == nullptr)
                return Refuse(switches, "a window id must follow", argument);
            if (!Parse_Window_Id(value, &switches.WindowId))
                return Refuse(switches, "not a window id", value);
            switches.Target = TARGET_WINDOW_ID;
            ++i;
        }
        else if (Is_Switch(argument, "fps"))
        {
            switches.ShowFramerate = true;
        }
        else if (Is_Switch(argument, "delay"))
        {
            unsigned long delay = 0;
            if (value == nullptr)
                return Refuse(switches, "microseconds must follow", argument);
            // A second at most: the banana count follows the frame rate, which needs frames.
            if (!Parse_Unsigned(value, 10, &delay) || delay > 1000000)
                return Refuse(switches, "not a delay from 0 to 1000000 microseconds", value);
            switches.DelayMicroseconds = long(delay);
            ++i;
        }
        else if (Is_Switch(argument, "help") || Is_Switch(argument, "h"))
        {
            switches.Help = true;
        }
        else
        {
            return Refuse(switches, "unknown switch", argument);
        }
    }
    return switches;
}
