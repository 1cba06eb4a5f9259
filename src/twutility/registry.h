// Typed access to one key of the per-user settings store (the registry below the current
// user's key on Windows). A key is opened, used for a few reads and writes, and closed again:
// no key stays open between calls.
#ifndef QUILLOMAR_REGISTRY_H
#define QUILLOMAR_REGISTRY_H

#include "platform/platform.h"

#include <cstdint>

// Every registry text (location, value name, text value) fits this many bytes, terminator
// included.
const int REGISTRY_TEXT_SIZE = 500;

class CRegistry
{
public:
    Platform::CSettingsKey *RegKey; // the open key, or nullptr

    CRegistry();
    ~CRegistry(); // closes the key, so a local closes it on every way out of a function
    CRegistry(const CRegistry &) = delete;
    CRegistry &operator=(const CRegistry &) = delete;

    // Opens subkey_name below parent_key, creating it and the keys above it when missing.
    void Create_Key(Platform::CSettingsKey *parent_key, const char *subkey_name);
    void Close_Key();

    void Set_Dword(const char *value_name, int32_t value);
    void Set_String(const char *name, const char *value);

    // True when the value is a number: 4 bytes stored as a number or as binary
    // (little-endian). *value is left alone otherwise.
    bool Get_Dword(const char *name, int32_t *value);

    // True when the value is a text of at most REGISTRY_TEXT_SIZE - 1 characters, or a number,
    // which reads as its signed decimal text. value holds REGISTRY_TEXT_SIZE bytes and is
    // zero-terminated on success; on failure its contents are unspecified.
    bool Get_String(const char *name, char *value);
};

#endif
