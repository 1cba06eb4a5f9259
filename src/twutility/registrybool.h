// A yes/no setting, stored as a number: read once when constructed, written straight back,
// then answered from memory. The number is kept as stored, so only 1 counts as yes.
#ifndef QUILLOMAR_REGISTRYBOOL_H
#define QUILLOMAR_REGISTRYBOOL_H

#include "registry.h"

#include <cstdint>

// Data-less base of the yes/no setting; destroying one writes nothing.
class CRegistryValue
{
public:
    virtual ~CRegistryValue();
};

class CRegistryBool : public CRegistryValue
{
public:
    // registry_location: key path below the current user's key; each text at most
    // REGISTRY_TEXT_SIZE - 1 characters. initial_value is stored as 0 or 1.
    CRegistryBool(const char *registry_location, const char *key_name, bool initial_value);
    ~CRegistryBool() override;

    uint32_t Get_Value() const; // as stored: callers test == 1

private:
    uint32_t Value;
    char RegistryLocation[REGISTRY_TEXT_SIZE];
    char KeyName[REGISTRY_TEXT_SIZE];
    bool InitialValue;
};

#endif
