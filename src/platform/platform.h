// The operating-system services the portable core may use, and nothing else.
// One implementation per system (platform_win32.cpp, platform_posix.cpp); tests link a fake
// (tests/fakes/fake_platform.cpp) whose clocks they drive by hand.
#ifndef QUILLOMAR_PLATFORM_H
#define QUILLOMAR_PLATFORM_H

#include <cstddef>
#include <cstdint>

namespace Platform
{

// High-resolution monotonic counter, in ticks. Returns false when the system cannot read it.
bool Read_Counter(int64_t *count);

// Ticks per second of Read_Counter; fixed for the life of the process. False on failure.
bool Read_Counter_Frequency(int64_t *ticks_per_second);

// Milliseconds since some fixed point, 32 bits: wraps every 2^32 ms (about 49.7 days), so
// readings are compared by unsigned difference only.
uint32_t Milliseconds();

// Size of the primary display, in pixels, as the system reports it (unchecked).
int Screen_Width();
int Screen_Height();

// The system's exclamation sound.
void Failure_Beep();

// Shows a modal error message (caption, text) and returns when the user has dismissed it.
void Show_Error_Box(const char *caption, const char *message);

// Stops in an attached debugger; does nothing when no debugger is attached.
void Break_Into_Debugger();

// What made the program fail (a failed check's message), where its user can read it. POSIX: one
// line on stderr, "quillomar: <text>" without the text's closing newline, as every failure of
// the Linux program reads (Show_Error_Box writes the same line). Win32: nowhere; the beep is the
// report of a program without a console.
void Report_Failure(const char *text);

// Bitmap resources of the program, loaded, described and released in that order. Each system
// has its own handle; the core only passes it on.
class CBitmapResource;

// What a bitmap resource holds: 24-bit pixels in rows of blue, green, red bytes, each row
// padded to a multiple of 4 bytes, the bottom row of the picture first.
class CBitmapBits
{
public:
    int Width;           // pixels, > 0
    int Height;          // pixels, > 0
    const uint8_t *Bits; // Height padded rows; valid until the bitmap is deleted
};

// Only the low 16 bits of resource_id count, as with any resource id. nullptr when the program
// has no such bitmap or it cannot be loaded.
CBitmapResource *Load_Bitmap_Resource(int resource_id);

// False when the bitmap's pixels are not available in the layout of CBitmapBits.
bool Describe_Bitmap(CBitmapResource *bitmap, CBitmapBits *bits);

void Delete_Bitmap(CBitmapResource *bitmap);

// Per-user settings store, behind CRegistry. A tree of keys below the user's root, named by
// paths of parts separated by backslashes ("Software\Tarnwick\Quillomar"); each key holds
// named values, each a type and bytes. Names match without regard to ASCII case. Win32: the
// registry below HKEY_CURRENT_USER. POSIX: one text file, quillomar/settings in
// $XDG_CONFIG_HOME (else ~/.config), replaced whole and atomically on every change, changes
// serialised by a lock. A file that holds no settings (it does not parse, is larger than 16 MiB
// or is no regular file) is kept aside as settings.damaged and a new one begun. A file that
// cannot be used (its directory cannot be made or locked, it cannot be read, or a change cannot
// be written, or would make it larger than 16 MiB) is left as it is and given up for the rest
// of the process: one line on stderr, "quillomar: cannot use <file> (<reason>); running with the
// initial values", and from then on the keys and values live in memory, beginning with none.
// Each call returns 0 on success, otherwise the system's error code (a Win32 error code or an
// errno value).

// Value types, numbered as the registry numbers them; a store may hold values of other types.
const uint32_t SETTING_TEXT = 1;   // REG_SZ: the characters, normally with a terminating zero
const uint32_t SETTING_BINARY = 3; // REG_BINARY
const uint32_t SETTING_NUMBER = 4; // REG_DWORD: 4 bytes, little-endian

class CSettingsKey;

// The user's root key: always open, never closed.
CSettingsKey *User_Settings_Root();

// Opens subkey_name below parent_key into *key, creating it and every missing key above it.
long Create_Settings_Key(CSettingsKey *parent_key, const char *subkey_name, CSettingsKey **key);

void Close_Settings_Key(CSettingsKey *key);

// Reads value name of key: its type into *type and its bytes into data, which holds *size
// bytes. On success *size is the stored size. A value larger than data fails with *size set to
// the size it needs; a missing or unreadable value fails.
long Read_Setting(CSettingsKey *key, const char *name, uint32_t *type, void *data, uint32_t *size);

// True for the errors of Read_Setting that say the value is not there to read: missing, larger
// than the buffer, or in a store whose contents are no settings (which the next write sets
// aside). Any other error says the store could not be read at the moment.
bool Is_Missing_Setting(long error);

// Stores size bytes of data with the given type as value name of key, replacing any value of
// that name.
long Write_Setting(CSettingsKey *key, const char *name, uint32_t type, const void *data,
                   uint32_t size);

// System data for the start-up log header.

class CMemoryStatus
{
public:
    uint64_t TotalPhysical;     // bytes
    uint64_t AvailablePhysical; // bytes
};
bool Read_Memory_Status(CMemoryStatus *status); // false when the system does not say

int Processor_Count(); // processors available to the program

// Platform ids of the version record, as Windows numbers them.
const uint32_t OS_PLATFORM_WIN32S = 0;
const uint32_t OS_PLATFORM_WIN32_WINDOWS = 1; // the Windows 95 family
const uint32_t OS_PLATFORM_WIN32_NT = 2;
const uint32_t OS_PLATFORM_POSIX = 1000; // a POSIX system: kernel name and release

class COsVersion
{
public:
    uint32_t MajorVersion;
    uint32_t MinorVersion;
    uint32_t BuildNumber;
    uint32_t PlatformId;   // OS_PLATFORM_...
    char ServicePack[128]; // zero-terminated: the service pack (Win32), the kernel (POSIX)
};
bool Read_Os_Version(COsVersion *version); // false when the system does not answer

// The program's own file, zero-terminated into path (size bytes). False, with an empty path,
// when it cannot be found or does not fit.
bool Module_File_Name(char *path, size_t size);

// Size of the file at path, in bytes. False when it cannot be opened.
bool Read_File_Size(const char *path, uint64_t *size_bytes);

// Opening a URL in the user's shell: Win32 ShellExecuteExA with "open". POSIX: xdg-open, started
// directly (no shell) with the URL as its one argument; its exit status is awaited for up to
// 3 s (it hands the URL on and ends) and a still running opener counts as accepted; an empty
// URL or one starting with '-' (an option to xdg-open) is refused. True when accepted;
// otherwise false with the system's error code (Win32: the last error, else the SE_ERR_ code;
// POSIX: errno, or the opener's exit status, 128 + signal when killed) in *error_code.
bool Open_Url(const char *url, long *error_code);

} // namespace Platform

#endif
