// A signed 32-bit setting, stored as a number: read once when constructed, written straight
// back, then answered from memory.
#ifndef QUILLOMAR_REGISTRYINT_H
#define QUILLOMAR_REGISTRYINT_H

#include "registry.h"

#include <cstdint>

class CRegistryInt
{
public:
    // registry_location: key path below the current user's key; each text at most
    // REGISTRY_TEXT_SIZE - 1 characters.
    CRegistryInt(const char *registry_location, const char *key_name, int initial_value);

    int Get_Value() const;
    void Set_Value(int value); // memory and store at once

private:
    char RegistryLocation[REGISTRY_TEXT_SIZE];
    char KeyName[REGISTRY_TEXT_SIZE];
    int32_t Value;
    int32_t InitialValue;
};

#endif
