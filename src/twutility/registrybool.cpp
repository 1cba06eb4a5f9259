#include "registrybool.h"

#include "twutility.h"

#include <cstring>

static const char SourceName[] = "twutility/registrybool";

CRegistryValue::~CRegistryValue() {}

CRegistryBool::CRegistryBool(const char *registry_location, const char *key_name,
                             bool initial_value)
    : Value(0)
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
    const int32_t initial_number = initial_value ? 1 : 0;
    int32_t number = initial_number;
    if (!registry.Get_Dword(KeyName, &number))
        number = initial_number;
    registry.Set_Dword(KeyName, number);
    Value = uint32_t(number);
    registry.Close_Key();
}

CRegistryBool::~CRegistryBool() {}

uint32_t CRegistryBool::Get_Value() const
{
    return Value;
}
