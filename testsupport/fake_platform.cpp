#include "fake_platform.h"

#include "platform/embedded_resources.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace FakePlatform
{

// Constant-initialised to the reset state, so static initialisers elsewhere see a working fake.
int64_t Counter = 0;
int64_t Frequency = 1000000;
uint32_t Milliseconds = 0;
int ScreenWidth = 1024;
int ScreenHeight = 768;
std::map<int, CFakeBitmap> Bitmaps;
int LoadedBitmaps = 0;
int OpenSettingsKeys = 0;
long SettingsWriteError = 0;
long SettingsReadError = 0;

void Reset()
{
    Counter = 0;
    Frequency = 1000000;
    Milliseconds = 0;
    ScreenWidth = 1024;
    ScreenHeight = 768;
    Bitmaps.clear();
    LoadedBitmaps = 0;
    SettingsWriteError = 0;
    SettingsReadError = 0;
}

void Advance_Seconds(double seconds)
{
    Counter += int64_t(std::llround(seconds * double(Frequency)));
}

// Function-local, so that the options' static initialisation can use it before main.
std::map<std::string, std::map<std::string, CFakeSetting>> &Settings()
{
    static std::map<std::string, std::map<std::string, CFakeSetting>> keys;
    return keys;
}

} // namespace FakePlatform

namespace Platform
{

bool Read_Counter(int64_t *count)
{
    *count = FakePlatform::Counter;
    return true;
}

bool Read_Counter_Frequency(int64_t *ticks_per_second)
{
    *ticks_per_second = FakePlatform::Frequency;
    return true;
}

uint32_t Milliseconds()
{
    return FakePlatform::Milliseconds;
}

int Screen_Width()
{
    return FakePlatform::ScreenWidth;
}

int Screen_Height()
{
    return FakePlatform::ScreenHeight;
}

// Written to stderr, where a death test can see them.
void Failure_Beep()
{
    fprintf(stderr, "[fake] beep\n");
}

void Show_Error_Box(const char *caption, const char *message)
{
    fprintf(stderr, "[fake] error box <%s> <%s>\n", caption, message);
}

void Break_Into_Debugger()
{
    fprintf(stderr, "[fake] debugger break\n");
}

void Report_Failure(const char *) {} // the line is the POSIX platform's, tested with it

// A handle is the served record; embedded bitmaps are copied in on first use.
CBitmapResource *Load_Bitmap_Resource(int resource_id)
{
    const int id = resource_id & 0xFFFF;
    auto served = FakePlatform::Bitmaps.find(id);
    if (served == FakePlatform::Bitmaps.end())
    {
        const CEmbeddedResource *resource = Find_Embedded_Resource(id);
        CBitmapBits bits;
        if (resource == nullptr || !Parse_Bmp_File(resource->Bytes, resource->Size, &bits))
            return nullptr;
        const size_t size = (size_t(bits.Width) * 3 + 3) / 4 * 4 * size_t(bits.Height);
        FakePlatform::CFakeBitmap copy{bits.Width, bits.Height, {bits.Bits, bits.Bits + size}};
        served = FakePlatform::Bitmaps.emplace(id, copy).first;
    }
    ++FakePlatform::LoadedBitmaps;
    return reinterpret_cast<CBitmapResource *>(&served->second);
}

bool Describe_Bitmap(CBitmapResource *bitmap, CBitmapBits *bits)
{
    const auto *served = reinterpret_cast<const FakePlatform::CFakeBitmap *>(bitmap);
    bits->Width = served->Width;
    bits->Height = served->Height;
    bits->Bits = served->Rows.data();
    return !served->Rows.empty();
}

void Delete_Bitmap(CBitmapResource *)
{
    --FakePlatform::LoadedBitmaps;
}

// A handle names its key; the root's path is empty.
class CSettingsKey
{
public:
    std::string Path;
};

CSettingsKey *User_Settings_Root()
{
    static CSettingsKey root;
    return &root;
}

long Create_Settings_Key(CSettingsKey *parent_key, const char *subkey_name, CSettingsKey **key)
{
    std::string path = parent_key->Path;
    path += (path.empty() ? "" : "\\") + std::string(subkey_name);
    FakePlatform::Settings()[path];
    *key = new CSettingsKey{path};
    ++FakePlatform::OpenSettingsKeys;
    return 0;
}

void Close_Settings_Key(CSettingsKey *key)
{
    --FakePlatform::OpenSettingsKeys;
    delete key;
}

long Read_Setting(CSettingsKey *key, const char *name, uint32_t *type, void *data, uint32_t *size)
{
    if (FakePlatform::SettingsReadError != 0)
        return FakePlatform::SettingsReadError;
    auto &values = FakePlatform::Settings()[key->Path];
    auto value = values.find(name);
    if (value == values.end())
        return 2; // ERROR_FILE_NOT_FOUND
    *type = value->second.Type;
    const uint32_t stored_size = uint32_t(value->second.Bytes.size());
    const bool fits = stored_size <= *size;
    if (fits && stored_size > 0)
        memcpy(data, value->second.Bytes.data(), stored_size);
    *size = stored_size;
    return fits ? 0 : 234; // ERROR_MORE_DATA
}

bool Is_Missing_Setting(long error)
{
    return error == 2 || error == 234;
}

long Write_Setting(CSettingsKey *key, const char *name, uint32_t type, const void *data,
                   uint32_t size)
{
    if (FakePlatform::SettingsWriteError != 0)
        return FakePlatform::SettingsWriteError;
    const uint8_t *bytes = static_cast<const uint8_t *>(data);
    FakePlatform::Settings()[key->Path][name] = {type, std::vector<uint8_t>(bytes, bytes + size)};
    return 0;
}

bool Read_Memory_Status(CMemoryStatus *)
{
    return false;
}

int Processor_Count()
{
    return 2;
}

bool Read_Os_Version(COsVersion *version)
{
    *version = {5, 1, 2600, OS_PLATFORM_WIN32_NT, "Service Pack 3"};
    return true;
}

bool Module_File_Name(char *, size_t)
{
    return false;
}

bool Read_File_Size(const char *, uint64_t *)
{
    return false;
}

bool Open_Url(const char *, long *)
{
    return true;
}

} // namespace Platform
