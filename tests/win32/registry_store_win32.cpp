// The shared registry cases against the real Windows registry: each test's current-user key
// is a fresh scratch key (RegOverridePredefKey), and raw values go through the registry calls
// themselves.
#include "registry_store.h"

#include "win32/scratch_current_user.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace
{

std::string TestKey;

} // namespace

namespace RegistryStore
{

void Begin()
{
    TestKey = New_Scratch_Path("test");
    Redirect_Current_User(TestKey);
}

void End()
{
    Redirect_Current_User("");
    Delete_Below_Real_Current_User(TestKey);
}

void Put_Raw(const char *key_path, const char *name, uint32_t type,
             const std::vector<uint8_t> &bytes)
{
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, key_path, 0, NULL, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, NULL, &key, NULL));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, bytes.data(), DWORD(bytes.size())));
    RegCloseKey(key);
}

bool Get_Raw(const char *key_path, const char *name, uint32_t *type, std::vector<uint8_t> *bytes)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD stored_type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, NULL, &stored_type, NULL, &size);
    if (result == ERROR_SUCCESS)
    {
        bytes->assign(size, 0);
        result = RegQueryValueExA(key, name, NULL, &stored_type, bytes->data(), &size);
        bytes->resize(size);
    }
    RegCloseKey(key);
    *type = stored_type;
    return result == ERROR_SUCCESS;
}

bool Key_Exists(const char *key_path)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void Make_Unwritable()
{
    // A volatile key takes no lasting subkeys: creating the saver's key below it fails.
    const std::string volatile_key = TestKey + "-volatile";
    HKEY key = NULL;
    Redirect_Current_User("");
    Delete_Below_Real_Current_User(volatile_key);
    RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, volatile_key.c_str(), 0, NULL, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, NULL, &key, NULL));
    RegOverridePredefKey(HKEY_CURRENT_USER, key);
}

} // namespace RegistryStore
