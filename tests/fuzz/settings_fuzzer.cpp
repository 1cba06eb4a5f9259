// The settings file on any bytes, through the real file in a private directory: an option reads
// a damaged file's initial value and sets the file aside, reads a good file's number without
// losing its other values, and the next start reads the same again. The text alone, in memory,
// is settings_text_fuzzer's.
#include "fuzz_check.h"
#include "platform/settings_text.h"
#include "private_settings_home.h"
#include "twutility/registryint.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <strings.h>
#include <sys/stat.h>

namespace
{

using SettingsText::CStore;
const char Location[] = "Software\\Tarnwick\\Quillomar";

// What registry.h promises a number reads as: 4 bytes stored as a number or as binary,
// little-endian; anything else gives the initial value.
int32_t Expected_Number(CStore &store, const char *name, int32_t initial)
{
    SettingsText::CStoredKey *key = SettingsText::Find_Key(store, Location);
    const SettingsText::CStoredValue *value =
        key == nullptr ? nullptr : SettingsText::Find_Value(*key, name);
    if (value == nullptr || value->Bytes.size() != 4 ||
        (value->Type != Platform::SETTING_NUMBER && value->Type != Platform::SETTING_BINARY))
        return initial;
    const auto *b = reinterpret_cast<const unsigned char *>(value->Bytes.data());
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                   uint32_t(b[3]) << 24);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    CStore store;
    const bool readable = SettingsText::Parse_Store(text, &store) == 0;
    const std::string directory = std::string(Private_Settings_Home()) + "/quillomar";
    const std::string file = directory + "/settings";
    Remove_Tree(directory.c_str());
    FUZZ_CHECK(mkdir(directory.c_str(), 0700) == 0);
    std::ofstream(file, std::ios::binary) << text;
    const int first = CRegistryInt(Location, "VersionMajor", 1).Get_Value();
    FUZZ_CHECK(first == (readable ? Expected_Number(store, "VersionMajor", 1) : 1));
    struct stat aside;
    if (readable)
        FUZZ_CHECK(stat((file + ".damaged").c_str(), &aside) != 0);
    else
        FUZZ_CHECK(Read_File(file + ".damaged") == text);
    FUZZ_CHECK(CRegistryInt(Location, "VersionMajor", 7).Get_Value() == first);

    // The file left behind reads, and keeps every other value of a good one as it was.
    CStore saved;
    FUZZ_CHECK(SettingsText::Parse_Store(Read_File(file), &saved) == 0);
    for (SettingsText::CStoredKey &key : readable ? store : CStore())
        for (const SettingsText::CStoredValue &value : key.Values)
        {
            if (strcasecmp(key.Path.c_str(), Location) == 0 &&
                strcasecmp(value.Name.c_str(), "VersionMajor") == 0)
                continue;
            SettingsText::CStoredKey *kept_key = SettingsText::Find_Key(saved, key.Path);
            FUZZ_CHECK(kept_key != nullptr);
            const SettingsText::CStoredValue *kept =
                SettingsText::Find_Value(*kept_key, value.Name);
            FUZZ_CHECK(kept != nullptr && kept->Type == value.Type && kept->Bytes == value.Bytes);
        }
    return 0;
}
