// A platform whose clocks, screen, bitmaps and settings tests set by hand, and which records
// what the core asked of it (beeps, error boxes, debugger breaks) on stderr instead of doing it.
#ifndef QUILLOMAR_FAKE_PLATFORM_H
#define QUILLOMAR_FAKE_PLATFORM_H

#include "platform/platform.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace FakePlatform
{

extern int64_t Counter;   // ticks
extern int64_t Frequency; // ticks per second
extern uint32_t Milliseconds;
extern int ScreenWidth;
extern int ScreenHeight;

// Back to a working 1 MHz counter, clocks at zero, a 1024 x 768 screen, the program's own
// bitmaps, Windows XP, nothing recorded. The settings store is left alone: what static
// initialisation wrote stays visible.
void Reset();
void Advance_Seconds(double seconds); // the counter, at the current frequency

// Bitmaps served instead of the program's embedded ones, by id: bottom-up rows of blue, green,
// red bytes, each row padded to a multiple of 4 bytes.
class CFakeBitmap
{
public:
    int Width;
    int Height;
    std::vector<uint8_t> Rows;
};
extern std::map<int, CFakeBitmap> Bitmaps;
extern int LoadedBitmaps; // loaded and not yet deleted

// The settings store in memory: a type and bytes by key path and value name (matched exactly).
class CFakeSetting
{
public:
    uint32_t Type;
    std::vector<uint8_t> Bytes;
};
std::map<std::string, std::map<std::string, CFakeSetting>> &Settings();
extern int OpenSettingsKeys;    // opened and not yet closed
extern long SettingsWriteError; // nonzero: writing a value fails with it
extern long SettingsReadError;  // nonzero: reading a value fails with it

} // namespace FakePlatform

#endif
