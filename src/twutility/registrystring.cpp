#include "registrystring.h"

#include "twutility.h"

#include <cstring>

static const char SourceName[] = "twutility/registrystring";

CRegistryString::CRegistryString(const char *registry_location, const char *key_name,
                                 const char *initial_value)
{
    TW_ASSERT(registry_location != nullptr);
    TW_ASSERT(key_name != nullptr);
    TW_ASSERT(initial_value != nullptr);
    TW_ASSERT(strlen(registry_location) < sizeof(RegistryLocation));
    TW_ASSERT(strlen(key_name) < sizeof(KeyName));
    TW_ASSERT(strlen(initial_value) < sizeof(InitialValue));
    strcpy(RegistryLocation, registry_location);
    strcpy(KeyName, key_name);
    strcpy(InitialValue, initial_value);

    CRegistry registry;
    registry.Create_Key(Platform::User_Settings_Root(), RegistryLocation);
    char buffer[REGISTRY_TEXT_SIZE] = {};
    strcpy(buffer, InitialValue);
    if (!registry.Get_String(KeyName, buffer))
        strcpy(buffer, InitialValue);
    registry.Set_String(KeyName, buffer);
    strcpy(Value, buffer);
    registry.Close_Key();
}

const char *CRegistryString::Get_Value() const
{
    return Value;
}

void CRegistryString::Set_Value(const char *value)
{
    TW_ASSERT(value != nullptr);
    const size_t length = strlen(value);
    TW_ASSERT(length < sizeof(Value));
    memmove(Value, value, length + 1); // value may be Get_Value() itself
    CRegistry registry;
    registry.Create_Key(Platform::User_Settings_Root(), RegistryLocation);
    registry.Set_String(KeyName, Value);
    registry.Close_Key();
}
