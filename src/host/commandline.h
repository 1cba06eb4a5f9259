// Decoding of the saver's command line. Portable, so that the scanner also builds natively for
// its fuzzers; the Windows entry point acts on what it finds.
#ifndef QUILLOMAR_COMMANDLINE_H
#define QUILLOMAR_COMMANDLINE_H

#include <cstdint>

enum ESaverMode
{
    SAVER_MODE_CONFIGURE,       // no switch: the configuration sheet with no parent
    SAVER_MODE_CONFIGURE_OVER,  // C: the sheet over a given or the foreground window
    SAVER_MODE_FULL_SCREEN,     // S
    SAVER_MODE_PREVIEW,         // P or L with a window handle
    SAVER_MODE_CHANGE_PASSWORD, // A, Windows 95 family only
    SAVER_MODE_BAD_SWITCH       // anything else: exit code -1
};

struct CSaverCommand
{
    ESaverMode Mode;
    // Preview and password change: the text after the letter and its blanks. C: the text after
    // "C:", or null when there is no colon.
    const char *Argument;
};

// Steps over one character of the system's code page (multibyte-aware on Windows).
typedef const char *(*CNextCharacter)(const char *text);

// The arguments that follow the program name at the start of a raw command line: a quoted name
// is skipped up to and including its closing quote, an unquoted one up to the first byte at or
// below the blank; then every byte at or below the blank (blanks and the control characters
// before it, not DEL) is skipped.
const char *Skip_Program_Name(const char *command_line, CNextCharacter next_character);

// The first character that is not a blank, '-' or '/' decides the mode; what follows it is read
// only by that mode.
CSaverCommand Scan_Saver_Switch(const char *arguments, bool windows9x_platform);

// The leading decimal digits as a 32-bit value that wraps on overflow; 0 when there are none.
uint32_t ParseWindowHandle(const char *text);

#endif
