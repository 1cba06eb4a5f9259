// The settings file's text on any bytes. In memory: reading never fails badly, and what it
// reads writes back to a text that reads as the same store and writes again unchanged. Through
// the real file: the program's five options, built as options.cpp builds them, read a damaged
// file's initial values and set the file aside, read a good file's numbers without losing its
// other values, and leave a file that reads back the same on the next start.
#include "fuzz_check.h"
#include "platform/settings_text.h"
#include "twutility/registrybool.h"
#include "twutility/registryint.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using SettingsText::CStore;
using SettingsText::CStoredKey;
using SettingsText::CStoredValue;

const char Location[] = "Software\\Tarnwick\\Quillomar";

class COptionValues
{
public:
    uint32_t ReleaseLogging;
    uint32_t ShowFramerate;
    int CurrentConfigureSheet;
    int VersionMajor;
    int VersionMinor;

    bool operator==(const COptionValues &other) const
    {
        return ReleaseLogging == other.ReleaseLogging && ShowFramerate == other.ShowFramerate &&
               CurrentConfigureSheet == other.CurrentConfigureSheet &&
               VersionMajor == other.VersionMajor && VersionMinor == other.VersionMinor;
    }
};

const COptionValues InitialValues = {0, 0, 0, 1, 1};

// Declared as options.cpp declares the program's own, in the same order.
COptionValues Construct_Options()
{
    CRegistryBool release_logging(Location, "ReleaseLogging", false);
    CRegistryBool show_framerate(Location, "ShowFramerate", false);
    CRegistryInt current_configure_sheet(Location, "CurrentConfigureSheet", 0);
    CRegistryInt version_major(Location, "VersionMajor", 1);
    CRegistryInt version_minor(Location, "VersionMinor", 1);
    return {release_logging.Get_Value(), show_framerate.Get_Value(),
            current_configure_sheet.Get_Value(), version_major.Get_Value(),
            version_minor.Get_Value()};
}

bool Same_Store(const CStore &a, const CStore &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k)
    {
        if (a[k].Path != b[k].Path || a[k].Values.size() != b[k].Values.size())
            return false;
        for (size_t v = 0; v < a[k].Values.size(); ++v)
        {
            const CStoredValue &x = a[k].Values[v];
            const CStoredValue &y = b[k].Values[v];
            if (x.Name != y.Name || x.Type != y.Type || x.Bytes != y.Bytes)
                return false;
        }
    }
    return true;
}

// Names as the registry matches them: ASCII letters without regard to case.
bool Same_Name(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        const unsigned char lower_x = x >= 'A' && x <= 'Z' ? x + 32 : x;
        const unsigned char lower_y = y >= 'A' && y <= 'Z' ? y + 32 : y;
        if (lower_x != lower_y)
            return false;
    }
    return true;
}

const CStoredValue *Lookup(const CStore &store, const std::string &path, const std::string &name)
{
    for (const CStoredKey &key : store)
        if (Same_Name(key.Path, path))
            for (const CStoredValue &value : key.Values)
                if (Same_Name(value.Name, name))
                    return &value;
    return nullptr;
}

bool Is_Option(const std::string &name)
{
    for (const char *option : {"ReleaseLogging", "ShowFramerate", "CurrentConfigureSheet",
                               "VersionMajor", "VersionMinor"})
        if (Same_Name(name, option))
            return true;
    return false;
}

// What registry.h promises a number reads as: 4 bytes stored as a number or as binary,
// little-endian; anything else leaves the option at its initial value.
int32_t Expected_Number(const CStore &store, const char *name, int32_t initial)
{
    const CStoredValue *value = Lookup(store, Location, name);
    if (value == nullptr || value->Bytes.size() != 4 ||
        (value->Type != Platform::SETTING_NUMBER && value->Type != Platform::SETTING_BINARY))
        return initial;
    const unsigned char *b = reinterpret_cast<const unsigned char *>(value->Bytes.data());
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                   uint32_t(b[3]) << 24);
}

COptionValues Expected_Options(const CStore &store)
{
    return {uint32_t(Expected_Number(store, "ReleaseLogging", 0)),
            uint32_t(Expected_Number(store, "ShowFramerate", 0)),
            Expected_Number(store, "CurrentConfigureSheet", 0),
            Expected_Number(store, "VersionMajor", 1), Expected_Number(store, "VersionMinor", 1)};
}

bool Holds_Number(const CStore &store, const char *name, uint32_t number)
{
    const CStoredValue *value = Lookup(store, Location, name);
    const char bytes[4] = {char(number), char(number >> 8), char(number >> 16), char(number >> 24)};
    return value != nullptr && value->Type == Platform::SETTING_NUMBER &&
           value->Bytes == std::string(bytes, 4);
}

// A private XDG_CONFIG_HOME for the whole run, in memory when the system offers it: every
// change of the store flushes the file to disk. The options of options.cpp are linked in too
// (the start-up log names them), so it is set before static initialisation builds them; plain
// data, so that no later dynamic initialisation resets it.
char Home[512];
char FailureNote[600];

std::string Directory()
{
    return std::string(Home) + "/quillomar";
}

std::string File()
{
    return Directory() + "/settings";
}

int Remove_Entry(const char *path, const struct stat *, int, FTW *)
{
    return remove(path) == 0 ? 0 : 1;
}

void Remove_Tree(const std::string &path)
{
    nftw(path.c_str(), Remove_Entry, 16, FTW_DEPTH | FTW_PHYS);
}

void Remove_Home()
{
    Remove_Tree(Home);
}

// Priority 101 runs before every ordinary static constructor, the options' among them.
__attribute__((constructor(101))) void Make_Home()
{
    struct stat status;
    const char *base = "/tmp";
    const char *tmpdir = getenv("TMPDIR");
    if (stat("/dev/shm", &status) == 0 && S_ISDIR(status.st_mode) && access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    else if (tmpdir != nullptr && tmpdir[0] == '/')
        base = tmpdir;
    const int length = snprintf(Home, sizeof(Home), "%s/quillomar-fuzz-XXXXXX", base);
    FUZZ_CHECK(length > 0 && size_t(length) < sizeof(Home));
    FUZZ_CHECK(mkdtemp(Home) != nullptr);
    FUZZ_CHECK(setenv("XDG_CONFIG_HOME", Home, 1) == 0);
    // A normal exit removes it; a failing input leaves it to be looked at.
    atexit(Remove_Home);
    snprintf(FailureNote, sizeof(FailureNote), "the settings directory is kept: %s", Home);
    FuzzFailureNote = FailureNote;
}

std::string Read_File(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool Exists(const std::string &path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

void Check_In_Memory(const std::string &text, bool *readable, CStore *store)
{
    *readable = SettingsText::Parse_Store(text, store) == 0;
    if (!*readable)
        return;
    const std::string written = SettingsText::Serialize(*store);
    CStore again;
    FUZZ_CHECK(SettingsText::Parse_Store(written, &again) == 0);
    FUZZ_CHECK(Same_Store(*store, again));
    FUZZ_CHECK(SettingsText::Serialize(again) == written);
}

void Check_Through_File(const std::string &text, bool readable, const CStore &store)
{
    const std::string directory = Directory();
    const std::string settings = File();
    Remove_Tree(directory);
    FUZZ_CHECK(mkdir(directory.c_str(), 0700) == 0);
    {
        std::ofstream file(settings, std::ios::binary);
        file << text;
        FUZZ_CHECK(file.good());
    }

    const COptionValues first = Construct_Options();
    if (readable)
    {
        FUZZ_CHECK(first == Expected_Options(store));
        FUZZ_CHECK(!Exists(settings + ".damaged"));
    }
    else
    {
        FUZZ_CHECK(first == InitialValues);
        FUZZ_CHECK(Read_File(settings + ".damaged") == text);
        FUZZ_CHECK(!Exists(settings + ".damaged.2"));
    }

    // The next start finds a good file holding what this one read.
    const COptionValues second = Construct_Options();
    FUZZ_CHECK(second == first);
    CStore saved;
    FUZZ_CHECK(SettingsText::Parse_Store(Read_File(settings), &saved) == 0);
    FUZZ_CHECK(Holds_Number(saved, "ReleaseLogging", first.ReleaseLogging));
    FUZZ_CHECK(Holds_Number(saved, "ShowFramerate", first.ShowFramerate));
    FUZZ_CHECK(Holds_Number(saved, "CurrentConfigureSheet", uint32_t(first.CurrentConfigureSheet)));
    FUZZ_CHECK(Holds_Number(saved, "VersionMajor", uint32_t(first.VersionMajor)));
    FUZZ_CHECK(Holds_Number(saved, "VersionMinor", uint32_t(first.VersionMinor)));

    // A damaged file leaves nothing behind: the new file holds the options' key and values only.
    if (!readable)
    {
        FUZZ_CHECK(saved.size() == 3 && saved[0].Path == "Software" &&
                   saved[1].Path == "Software\\Tarnwick" && saved[2].Path == Location);
        FUZZ_CHECK(saved[0].Values.empty() && saved[1].Values.empty() &&
                   saved[2].Values.size() == 5);
    }

    // Every other value of a good file is kept as it was.
    if (readable)
        for (const CStoredKey &key : store)
            for (const CStoredValue &value : key.Values)
            {
                if (Same_Name(key.Path, Location) && Is_Option(value.Name))
                    continue;
                const CStoredValue *kept = Lookup(saved, key.Path, value.Name);
                FUZZ_CHECK(kept != nullptr && kept->Type == value.Type &&
                           kept->Bytes == value.Bytes);
            }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    bool readable = false;
    CStore store;
    Check_In_Memory(text, &readable, &store);
    Check_Through_File(text, readable, store);
    return 0;
}
