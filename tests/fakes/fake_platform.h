// A platform whose clocks and screen tests set by hand, and which records what the core asked
// of it (beeps, error boxes, debugger breaks) instead of doing it.
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
extern bool CounterFails;
extern bool FrequencyFails;
extern uint32_t Milliseconds;
extern int ScreenWidth;
extern int ScreenHeight;

extern int BeepCount;
extern int DebuggerBreakCount;
extern int ErrorBoxCount;
extern std::string LastErrorCaption;
extern std::string LastErrorMessage;

// Back to a working counter at 1 MHz, clocks at zero, a 1024 x 768 screen, nothing recorded.
void Reset();

// Moves the counter on by a number of seconds at the current frequency.
void Advance_Seconds(double seconds);

// Bitmap resources. A test bitmap: bottom-up rows of blue, green, red bytes, each row padded to
// a multiple of 4 bytes.
class CFakeBitmap
{
public:
    int Width;                 // pixels
    int Height;                // pixels
    std::vector<uint8_t> Rows; // at least Height padded rows, or describing it fails
};
// Served by id (the low 16 bits of the requested one); an id missing here is looked up among
// the program's embedded bitmaps, which are copied in on first use. Reset empties it.
extern std::map<int, CFakeBitmap> Bitmaps;
extern bool DescribeBitmapFails;
extern int LoadedBitmapCount; // loaded and not yet deleted

// Settings store, in memory; Reset leaves it alone, so what static initialisation wrote stays
// visible. Paths and names match without regard to ASCII case, as in the real stores.
class CFakeSetting
{
public:
    uint32_t Type;
    std::vector<uint8_t> Bytes;
};
class CNoCaseLess
{
public:
    bool operator()(const std::string &a, const std::string &b) const;
};
typedef std::map<std::string, CFakeSetting, CNoCaseLess> CFakeSettingsKey; // values by name
std::map<std::string, CFakeSettingsKey, CNoCaseLess> &Settings();          // keys by path
// Every change in order since the start of the process: "create <path>", "write <path>\<name>".
std::vector<std::string> &Settings_Log();
void Clear_Settings();           // empties the store and its log
extern int OpenSettingsKeys;     // opened and not yet closed
extern long SettingsCreateError; // nonzero: creating or opening a key fails with it
extern long SettingsWriteError;  // nonzero: writing a value fails with it

// System data and URL launch; Reset restores these.
extern Platform::COsVersion OsVersion; // Windows XP SP3 after Reset
extern bool OsVersionFails;
extern char ModuleFileName[300];  // served when it fits the caller's buffer
extern bool ModuleFileMissing;    // its size cannot be read
extern uint64_t ModuleFileSize;   // bytes
extern int OsVersionQueries;      // reads of the version record
extern int ModuleFileSizeQueries; // reads of a file size
extern bool OpenUrlRefused;       // the shell refuses, with error code 1155
extern std::vector<std::string> OpenedUrls;

} // namespace FakePlatform

#endif
