// The shared registry cases against the native file store: each test gets its own
// XDG_CONFIG_HOME. Raw values go through the store's own calls; the file's exact text is
// checked separately (settings_file_test.cpp).
#include "registry_store.h"

#include "platform/platform.h"
#include "private_settings_home.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <strings.h>

namespace
{

std::string TestHome;

std::string Settings_Text()
{
    std::ifstream file(TestHome + "/quillomar/settings", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

namespace RegistryStore
{

void Begin()
{
    std::string pattern = std::string(Private_Settings_Home()) + "/test-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
    TestHome = pattern;
    setenv("XDG_CONFIG_HOME", TestHome.c_str(), 1);
}

void End()
{
    setenv("XDG_CONFIG_HOME", Private_Settings_Home(), 1);
    Remove_Tree(TestHome.c_str());
}

void Put_Raw(const char *key_path, const char *name, uint32_t type,
             const std::vector<uint8_t> &bytes)
{
    Platform::CSettingsKey *key = nullptr;
    ASSERT_EQ(0, Platform::Create_Settings_Key(Platform::User_Settings_Root(), key_path, &key));
    EXPECT_EQ(0, Platform::Write_Setting(key, name, type, bytes.data(), uint32_t(bytes.size())));
    Platform::Close_Settings_Key(key);
}

bool Get_Raw(const char *key_path, const char *name, uint32_t *type, std::vector<uint8_t> *bytes)
{
    // Opening a key creates it: look first.
    if (!Key_Exists(key_path))
        return false;
    Platform::CSettingsKey *key = nullptr;
    EXPECT_EQ(0, Platform::Create_Settings_Key(Platform::User_Settings_Root(), key_path, &key));
    uint32_t size = 0;
    long result = Platform::Read_Setting(key, name, type, nullptr, &size);
    if (result == 0 || size > 0)
    {
        bytes->assign(size, 0);
        result = Platform::Read_Setting(key, name, type, bytes->data(), &size);
    }
    Platform::Close_Settings_Key(key);
    return result == 0;
}

bool Key_Exists(const char *key_path)
{
    std::istringstream lines(Settings_Text());
    const std::string wanted = "[" + std::string(key_path) + "]";
    for (std::string line; std::getline(lines, line);)
        if (strcasecmp(line.c_str(), wanted.c_str()) == 0)
            return true;
    return false;
}

void Make_Unwritable()
{
    // A file where the configuration directory should be: nothing can be created below it,
    // whoever runs the test.
    const std::string blocker = TestHome + "/not-a-directory";
    std::ofstream(blocker) << "x";
    setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);
}

} // namespace RegistryStore
