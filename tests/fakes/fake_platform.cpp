#include "fake_platform.h"

#include "platform/embedded_resources.h"
#include "platform/platform.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <utility>

namespace FakePlatform
{

// Constant-initialised to the reset state, so static initialisers elsewhere see a working fake.
int64_t Counter = 0;
int64_t Frequency = 1000000;
bool CounterFails = false;
bool FrequencyFails = false;
uint32_t Milliseconds = 0;
int ScreenWidth = 1024;
int ScreenHeight = 768;
int BeepCount;
int DebuggerBreakCount;
int ErrorBoxCount;
std::string LastErrorCaption;
std::string LastErrorMessage;
std::map<int, CFakeBitmap> Bitmaps;
bool DescribeBitmapFails = false;
int LoadedBitmapCount = 0;

static void Reset_System_Data();

void Reset()
{
    Counter = 0;
    Frequency = 1000000;
    CounterFails = false;
    FrequencyFails = false;
    Milliseconds = 0;
    ScreenWidth = 1024;
    ScreenHeight = 768;
    BeepCount = 0;
    DebuggerBreakCount = 0;
    ErrorBoxCount = 0;
    LastErrorCaption.clear();
    LastErrorMessage.clear();
    Bitmaps.clear();
    DescribeBitmapFails = false;
    LoadedBitmapCount = 0;
    Reset_System_Data();
}

void Advance_Seconds(double seconds)
{
    Counter += int64_t(std::llround(seconds * Frequency));
}

} // namespace FakePlatform

namespace Platform
{

bool Read_Counter(int64_t *count)
{
    if (FakePlatform::CounterFails)
        return false;
    *count = FakePlatform::Counter;
    return true;
}

bool Read_Counter_Frequency(int64_t *ticks_per_second)
{
    if (FakePlatform::FrequencyFails)
        return false;
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
// Each request is also written to stderr: a death test sees only what its child printed.
void Failure_Beep()
{
    ++FakePlatform::BeepCount;
    fprintf(stderr, "[fake] beep\n");
}

void Show_Error_Box(const char *caption, const char *message)
{
    ++FakePlatform::ErrorBoxCount;
    FakePlatform::LastErrorCaption = caption;
    FakePlatform::LastErrorMessage = message;
    fprintf(stderr, "[fake] error box <%s> <%s>\n", caption, message);
}

void Break_Into_Debugger()
{
    ++FakePlatform::DebuggerBreakCount;
    fprintf(stderr, "[fake] debugger break\n");
}

// A handle is the served record.
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
        const size_t row_bytes = (size_t(bits.Width) * 3 + 3) / 4 * 4;
        const uint8_t *rows = bits.Bits;
        FakePlatform::CFakeBitmap copy{
            bits.Width, bits.Height, {rows, rows + row_bytes * size_t(bits.Height)}};
        served = FakePlatform::Bitmaps.emplace(id, std::move(copy)).first;
    }
    ++FakePlatform::LoadedBitmapCount;
    return reinterpret_cast<CBitmapResource *>(&served->second);
}

bool Describe_Bitmap(CBitmapResource *bitmap, CBitmapBits *bits)
{
    const auto *served = reinterpret_cast<const FakePlatform::CFakeBitmap *>(bitmap);
    if (FakePlatform::DescribeBitmapFails || served == nullptr || served->Width <= 0 ||
        served->Height <= 0)
        return false;
    const size_t row_bytes = (size_t(served->Width) * 3 + 3) / 4 * 4;
    if (served->Rows.size() / row_bytes < size_t(served->Height))
        return false;
    bits->Width = served->Width;
    bits->Height = served->Height;
    bits->Bits = served->Rows.data();
    return true;
}

void Delete_Bitmap(CBitmapResource *bitmap)
{
    if (bitmap != nullptr)
        --FakePlatform::LoadedBitmapCount;
}

} // namespace Platform

// Settings store and system data. Everything static initialisation may reach is constant-
// initialised or a function-local static, so the options can be built before main.

namespace FakePlatform
{

bool CNoCaseLess::operator()(const std::string &a, const std::string &b) const
{
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

std::map<std::string, CFakeSettingsKey, CNoCaseLess> &Settings()
{
    static std::map<std::string, CFakeSettingsKey, CNoCaseLess> keys;
    return keys;
}

std::vector<std::string> &Settings_Log()
{
    static std::vector<std::string> log;
    return log;
}

void Clear_Settings()
{
    Settings().clear();
    Settings_Log().clear();
}

int OpenSettingsKeys = 0;
long SettingsCreateError = 0;
long SettingsWriteError = 0;

static constexpr Platform::COsVersion ResetOsVersion = {5, 1, 2600, Platform::OS_PLATFORM_WIN32_NT,
                                                        "Service Pack 3"};
Platform::COsVersion OsVersion = ResetOsVersion;
bool OsVersionFails = false;
char ModuleFileName[300] = "C:\\Quillomar\\Quillomar.scr";
bool ModuleFileMissing = false;
uint64_t ModuleFileSize = 123456;
int OsVersionQueries = 0;
int ModuleFileSizeQueries = 0;
bool OpenUrlRefused = false;
std::vector<std::string> OpenedUrls;

static void Reset_System_Data()
{
    OsVersion = ResetOsVersion;
    OsVersionFails = false;
    snprintf(ModuleFileName, sizeof(ModuleFileName), "C:\\Quillomar\\Quillomar.scr");
    ModuleFileMissing = false;
    ModuleFileSize = 123456;
    OsVersionQueries = 0;
    ModuleFileSizeQueries = 0;
    OpenUrlRefused = false;
    OpenedUrls.clear();
}

} // namespace FakePlatform

namespace Platform
{

// A handle names its key; the root's path is empty.
class CSettingsKey
{
public:
    char Path[1024];
};

static CSettingsKey FakeRootKey;

CSettingsKey *User_Settings_Root()
{
    return &FakeRootKey;
}

long Create_Settings_Key(CSettingsKey *parent_key, const char *subkey_name, CSettingsKey **key)
{
    *key = nullptr;
    if (FakePlatform::SettingsCreateError != 0)
        return FakePlatform::SettingsCreateError;
    std::string path = parent_key->Path;
    if (subkey_name[0] != '\0')
        path += (path.empty() ? "" : "\\") + std::string(subkey_name);
    if (path.size() >= sizeof(FakeRootKey.Path))
        return 206; // ERROR_FILENAME_EXCED_RANGE
    for (size_t end = path.find('\\');; end = path.find('\\', end + 1))
    {
        const std::string part = path.substr(0, end);
        if (!part.empty() && FakePlatform::Settings().count(part) == 0)
        {
            FakePlatform::Settings()[part];
            FakePlatform::Settings_Log().push_back("create " + part);
        }
        if (end == std::string::npos)
            break;
    }
    CSettingsKey *opened = new CSettingsKey;
    snprintf(opened->Path, sizeof(opened->Path), "%s", path.c_str());
    ++FakePlatform::OpenSettingsKeys;
    *key = opened;
    return 0;
}

void Close_Settings_Key(CSettingsKey *key)
{
    if (key == &FakeRootKey || key == nullptr)
        return;
    --FakePlatform::OpenSettingsKeys;
    delete key;
}

long Read_Setting(CSettingsKey *key, const char *name, uint32_t *type, void *data, uint32_t *size)
{
    auto stored_key = FakePlatform::Settings().find(key->Path);
    if (stored_key == FakePlatform::Settings().end())
        return 1018; // ERROR_KEY_DELETED
    auto value = stored_key->second.find(name);
    if (value == stored_key->second.end())
        return 2; // ERROR_FILE_NOT_FOUND
    *type = value->second.Type;
    const uint32_t stored_size = uint32_t(value->second.Bytes.size());
    if (stored_size > *size)
    {
        *size = stored_size;
        return 234; // ERROR_MORE_DATA
    }
    if (stored_size > 0)
        memcpy(data, value->second.Bytes.data(), stored_size);
    *size = stored_size;
    return 0;
}

long Write_Setting(CSettingsKey *key, const char *name, uint32_t type, const void *data,
                   uint32_t size)
{
    if (FakePlatform::SettingsWriteError != 0)
        return FakePlatform::SettingsWriteError;
    const uint8_t *bytes = static_cast<const uint8_t *>(data);
    FakePlatform::Settings()[key->Path][name] = {type, std::vector<uint8_t>(bytes, bytes + size)};
    FakePlatform::Settings_Log().push_back("write " + std::string(key->Path) + "\\" + name);
    return 0;
}

bool Read_Memory_Status(CMemoryStatus *status)
{
    status->TotalPhysical = uint64_t(8) << 30;
    status->AvailablePhysical = uint64_t(3) << 30;
    return true;
}

int Processor_Count()
{
    return 4;
}

bool Read_Os_Version(COsVersion *version)
{
    ++FakePlatform::OsVersionQueries;
    if (FakePlatform::OsVersionFails)
        return false;
    *version = FakePlatform::OsVersion;
    return true;
}

bool Module_File_Name(char *path, size_t size)
{
    const size_t length = strlen(FakePlatform::ModuleFileName);
    if (length >= size)
    {
        if (size > 0)
            path[0] = '\0';
        return false;
    }
    memcpy(path, FakePlatform::ModuleFileName, length + 1);
    return true;
}

bool Read_File_Size(const char *path, uint64_t *size_bytes)
{
    ++FakePlatform::ModuleFileSizeQueries;
    if (FakePlatform::ModuleFileMissing || strcmp(path, FakePlatform::ModuleFileName) != 0)
        return false;
    *size_bytes = FakePlatform::ModuleFileSize;
    return true;
}

bool Open_Url(const char *url, long *error_code)
{
    FakePlatform::OpenedUrls.push_back(url);
    if (FakePlatform::OpenUrlRefused)
    {
        *error_code = 1155; // ERROR_NO_ASSOCIATION
        return false;
    }
    return true;
}

} // namespace Platform
