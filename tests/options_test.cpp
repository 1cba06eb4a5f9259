// The five options as static initialisation left them, against the fake store: the writes the
// store saw before main, in their order, with their initial values.
#include "options.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

const char Location[] = "Software\\Tarnwick\\Quillomar";

std::vector<uint8_t> Dword(uint32_t value)
{
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

} // namespace

// First in this program: no test has touched the store yet, so all it holds came before main.
TEST(Options, StaticInitialisationBuiltThemInOrderBeforeMain)
{
    const std::string key = Location;
    const std::vector<std::string> expected = {
        "create Software",
        "create Software\\Tarnwick",
        "create " + key,
        "write " + key + "\\ReleaseLogging",
        "write " + key + "\\ShowFramerate",
        "write " + key + "\\CurrentConfigureSheet",
        "write " + key + "\\VersionMajor",
        "write " + key + "\\VersionMinor",
    };
    EXPECT_EQ(expected, FakePlatform::Settings_Log());
    EXPECT_EQ(0, FakePlatform::OpenSettingsKeys);
}

TEST(Options, AFirstStartStoresEachInitialValueAsANumber)
{
    struct
    {
        const char *Name;
        uint32_t Value;
    } initial[] = {
        {"ReleaseLogging", 0}, {"ShowFramerate", 0}, {"CurrentConfigureSheet", 0},
        {"VersionMajor", 1},   {"VersionMinor", 1},
    };
    const FakePlatform::CFakeSettingsKey &stored = FakePlatform::Settings()[Location];
    EXPECT_EQ(5u, stored.size());
    for (const auto &option : initial)
    {
        SCOPED_TRACE(option.Name);
        ASSERT_EQ(1u, stored.count(option.Name));
        EXPECT_EQ(Platform::SETTING_NUMBER, stored.at(option.Name).Type);
        EXPECT_EQ(Dword(option.Value), stored.at(option.Name).Bytes);
    }
    EXPECT_EQ(0u, COptions::ReleaseLogging.Get_Value());
    EXPECT_EQ(0u, COptions::ShowFramerate.Get_Value());
    EXPECT_EQ(0, COptions::CurrentConfigureSheet.Get_Value());
    EXPECT_EQ(1, COptions::VersionMajor.Get_Value());
    EXPECT_EQ(1, COptions::VersionMinor.Get_Value());
}

TEST(Options, IntegerOptionsWriteThrough)
{
    COptions::CurrentConfigureSheet.Set_Value(1);
    COptions::VersionMajor.Set_Value(3);
    const FakePlatform::CFakeSettingsKey &stored = FakePlatform::Settings()[Location];
    EXPECT_EQ(Dword(1), stored.at("CurrentConfigureSheet").Bytes);
    EXPECT_EQ(Dword(3), stored.at("VersionMajor").Bytes);
    EXPECT_EQ(1, COptions::CurrentConfigureSheet.Get_Value());
    COptions::CurrentConfigureSheet.Set_Value(0);
    COptions::VersionMajor.Set_Value(1);
}
