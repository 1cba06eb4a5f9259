// A text setting: read once when constructed, written straight back, then answered from
// memory.
#ifndef QUILLOMAR_REGISTRYSTRING_H
#define QUILLOMAR_REGISTRYSTRING_H

#include "registry.h"

class CRegistryString
{
public:
    // registry_location: key path below the current user's key; each text at most
    // REGISTRY_TEXT_SIZE - 1 characters.
    CRegistryString(const char *registry_location, const char *key_name, const char *initial_value);

    const char *Get_Value() const;
    void Set_Value(const char *value); // memory and store at once; at most 499 characters

private:
    char RegistryLocation[REGISTRY_TEXT_SIZE];
    char KeyName[REGISTRY_TEXT_SIZE];
    char Value[REGISTRY_TEXT_SIZE];
    char InitialValue[REGISTRY_TEXT_SIZE];
};

#endif
