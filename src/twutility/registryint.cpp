#include "registryint.h"

#include "twutility.h"

#include <cstring>

static const char SourceName[] = "twutility/registryint";

CRegistryInt::CRegistryInt(const char *registry_location, const char *key_name, int initial_value)
{
    TW_ASSERT(registry_location != nullptr);
    TW_ASSERT(key_name != nullptr);
    TW_ASSERT(strlen(registry_location) < sizeof(RegistryLocation));
    TW_ASSERT(strlen(key_name) < sizeof(KeyName));
    strcpy(RegistryLocation, registry_location);
    strcpy(KeyName, key_name);
    InitialValue = initial_value;

    CRegistry registry;
    registry.Create_Key(Platform::User_Settings_Root(), RegistryLocation);
    int32_t number = initial_value;
    if (!registry.Get_Dword(KeyName, &number))
        number = initial_value;
    // Always: a missing value is created and one of another type replaced.
    registry.Set_Dword(KeyName, number);
    Value = number;
    registry.Close_Key();
}

int CRegistryInt::Get_Value() const
{
    return Value;
}

void CRegistryInt::Set_Value(int value)
{
    Value = value;
    CRegistry registry;
    registry.Create_Key(Platform::User_Settings_Root(), RegistryLocation);
    registry.Set_Dword(KeyName, Value);
    registry.Close_Key();
}
