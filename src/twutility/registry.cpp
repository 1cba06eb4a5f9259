#include "registry.h"

#include "platform/dword.h"
#include "twutility.h"

#include <cstdio>
#include <cstring>

static const char SourceName[] = "twutility/registry";

// The seam's success status, named as the registry names it so the checks read as they do on
// Windows.
static const long ERROR_SUCCESS = 0;

CRegistry::CRegistry() : RegKey(nullptr) {}

CRegistry::~CRegistry()
{
    Close_Key();
}

void CRegistry::Create_Key(Platform::CSettingsKey *parent_key, const char *subkey_name)
{
    TW_ASSERT(parent_key != nullptr);
    TW_ASSERT(subkey_name != nullptr);
    Close_Key(); // a second open must not leak the first key
    const long result = Platform::Create_Settings_Key(parent_key, subkey_name, &RegKey);
    TW_ASSERT(result == ERROR_SUCCESS);
    TW_ASSERT(RegKey != nullptr);
}

void CRegistry::Close_Key()
{
    if (RegKey != nullptr)
    {
        Platform::Close_Settings_Key(RegKey);
        RegKey = nullptr;
    }
}

void CRegistry::Set_Dword(const char *value_name, int32_t value)
{
    TW_ASSERT(value_name != nullptr);
    TW_ASSERT(RegKey != nullptr);
    unsigned char bytes[4];
    Pack_Dword(uint32_t(value), bytes);
    const long retcode =
        Platform::Write_Setting(RegKey, value_name, Platform::SETTING_NUMBER, bytes, 4);
    TW_ASSERT(retcode == ERROR_SUCCESS);
}

void CRegistry::Set_String(const char *name, const char *value)
{
    TW_ASSERT(name != nullptr);
    TW_ASSERT(value != nullptr);
    TW_ASSERT(RegKey != nullptr);
    const size_t length = strlen(value);
    TW_ASSERT(length < size_t(REGISTRY_TEXT_SIZE));
    const long retcode =
        Platform::Write_Setting(RegKey, name, Platform::SETTING_TEXT, value, uint32_t(length + 1));
    TW_ASSERT(retcode == ERROR_SUCCESS);
}

// False when the value is not there to read. The caller then writes its initial value back:
// over values merely unreadable for the moment, that would lose them, so that ends the program.
static bool Read_Present(Platform::CSettingsKey *key, const char *name, uint32_t *type, void *data,
                         uint32_t *size)
{
    const long result = Platform::Read_Setting(key, name, type, data, size);
    TW_ASSERT(result == ERROR_SUCCESS || Platform::Is_Missing_Setting(result));
    return result == ERROR_SUCCESS;
}

bool CRegistry::Get_Dword(const char *name, int32_t *value)
{
    TW_ASSERT(name != nullptr);
    TW_ASSERT(value != nullptr);
    TW_ASSERT(RegKey != nullptr);
    unsigned char bytes[4] = {0, 0, 0, 0};
    uint32_t type = 0;
    uint32_t size = sizeof(bytes);
    if (!Read_Present(RegKey, name, &type, bytes, &size))
        return false;
    // A shorter value would leave bytes of the caller's preset in the number.
    if (size != 4 || (type != Platform::SETTING_NUMBER && type != Platform::SETTING_BINARY))
        return false;
    *value = int32_t(Unpack_Dword(bytes));
    return true;
}

bool CRegistry::Get_String(const char *name, char *value)
{
    TW_ASSERT(name != nullptr);
    TW_ASSERT(value != nullptr);
    TW_ASSERT(RegKey != nullptr);
    uint32_t type = 0;
    uint32_t size = REGISTRY_TEXT_SIZE;
    if (!Read_Present(RegKey, name, &type, value, &size) || size > uint32_t(REGISTRY_TEXT_SIZE))
        return false;
    if (type == Platform::SETTING_NUMBER)
    {
        if (size != 4)
            return false;
        const uint32_t bits = Unpack_Dword(reinterpret_cast<const unsigned char *>(value));
        snprintf(value, REGISTRY_TEXT_SIZE, "%ld", long(int32_t(bits)));
        return true;
    }
    // Bytes of any other type are no text to show or write back.
    if (type != Platform::SETTING_TEXT)
        return false;
    // A text stored without its terminator ends where the stored bytes end; one that fills
    // the whole buffer that way is longer than a text may be.
    if (memchr(value, '\0', size) == nullptr)
    {
        if (size == uint32_t(REGISTRY_TEXT_SIZE))
            return false;
        value[size] = '\0';
    }
    return true;
}
