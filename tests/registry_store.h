// What the shared registry cases need of a settings store, implemented once per store: the
// file store natively (registry_store_file.cpp), the real registry under Wine
// (win32/registry_store_win32.cpp). Raw access goes around CRegistry, so the cases see exactly
// what the typed values stored.
#ifndef QUILLOMAR_REGISTRY_STORE_H
#define QUILLOMAR_REGISTRY_STORE_H

#include <cstdint>
#include <vector>

namespace RegistryStore
{

// An empty store for one test, where the current user's key leads; End throws it away.
void Begin();
void End();

// Stores a value of any type and bytes, creating its key.
void Put_Raw(const char *key_path, const char *name, uint32_t type,
             const std::vector<uint8_t> &bytes);

// A value as stored: false when the key or the value does not exist.
bool Get_Raw(const char *key_path, const char *name, uint32_t *type, std::vector<uint8_t> *bytes);

bool Key_Exists(const char *key_path);

// Makes every later attempt to create a key in the store fail.
void Make_Unwritable();

} // namespace RegistryStore

#endif
