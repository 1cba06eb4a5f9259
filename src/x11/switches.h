// The command line of the Linux program, in XScreenSaver's conventions: every switch may be
// spelt with one dash or two, window ids are hexadecimal with 0x or decimal. Portable, so
// that it is tested natively without a display.
#ifndef QUILLOMAR_X11_SWITCHES_H
#define QUILLOMAR_X11_SWITCHES_H

#include <cstdint>

enum ETarget
{
    TARGET_OWN_WINDOW, // a window of its own, for trying the saver by hand
    TARGET_ROOT,       // the daemon's window ($XSCREENSAVER_WINDOW), else the root window
    TARGET_WINDOW_ID   // a foreign window: the settings app's preview pane
};

class CSwitches
{
public:
    ETarget Target = TARGET_OWN_WINDOW;
    unsigned long WindowId = 0;     // TARGET_WINDOW_ID
    bool ShowFramerate = false;     // --fps
    long DelayMicroseconds = 30000; // between frames; 0 runs them back to back
    bool Help = false;
    // When the line cannot be used: what was wrong, for one line on stderr; else empty.
    char Error[200] = {};
};

// Reads argv[1] onwards; Error says why when they make no sense.
CSwitches Parse_Switches(int argc, const char *const *argv);

// A window id as X writes it: 0x and hex digits, or decimal digits, nonzero and within 32 bits.
// False for anything else.
bool Parse_Window_Id(const char *text, unsigned long *id);

// What --help prints, and a bad line after its error.
extern const char Usage[];

#endif
