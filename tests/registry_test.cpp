// CRegistry and the typed values against the fake store: keys never left open, failures of the
// store, and buffers that are never overrun (exact-size heap buffers, so the sanitizer sees
// any byte read or written past them).
#include "twutility/registry.h"
#include "twutility/registrybool.h"
#include "twutility/registryint.h"
#include "twutility/registrystring.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace
{

const char Location[] = "Software\\Tarnwick\\Quillomar";

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::Reset();
        FakePlatform::Clear_Settings();
        FakePlatform::SettingsCreateError = 0;
        FakePlatform::SettingsWriteError = 0;
        FakePlatform::OpenSettingsKeys = 0;
    }
    void TearDown() override
    {
        FakePlatform::SettingsCreateError = 0;
        FakePlatform::SettingsWriteError = 0;
    }

    static void Put(const char *name, uint32_t type, const std::string &bytes)
    {
        FakePlatform::Settings()[Location][name] = {
            type, std::vector<uint8_t>(bytes.begin(), bytes.end())};
    }
};

} // namespace

TEST_F(RegistryTest, NoKeyStaysOpenBetweenCalls)
{
    {
        CRegistry registry;
        registry.Create_Key(Platform::User_Settings_Root(), Location);
        registry.Create_Key(Platform::User_Settings_Root(), Location); // reopening closes first
        EXPECT_EQ(1, FakePlatform::OpenSettingsKeys);
        registry.Close_Key();
        registry.Close_Key();
        EXPECT_EQ(0, FakePlatform::OpenSettingsKeys);
        registry.Create_Key(Platform::User_Settings_Root(), Location);
    } // the destructor closes it
    EXPECT_EQ(0, FakePlatform::OpenSettingsKeys);

    CRegistryInt number(Location, "Number", 1);
    CRegistryBool flag(Location, "Flag", true);
    CRegistryString text(Location, "Text", "t");
    number.Set_Value(2);
    text.Set_Value("u");
    EXPECT_EQ(0, FakePlatform::OpenSettingsKeys);
}

TEST_F(RegistryTest, GetValueNeverReadsTheStore)
{
    CRegistryInt number(Location, "Number", 1);
    CRegistryBool flag(Location, "Flag", true);
    CRegistryString text(Location, "Text", "t");
    FakePlatform::Clear_Settings();
    Put("Number", Platform::SETTING_NUMBER, std::string("\x09\0\0\0", 4));
    Put("Flag", Platform::SETTING_NUMBER, std::string("\0\0\0\0", 4));
    Put("Text", Platform::SETTING_TEXT, std::string("u\0", 2));
    EXPECT_EQ(1, number.Get_Value());
    EXPECT_EQ(1u, flag.Get_Value());
    EXPECT_STREQ("t", text.Get_Value());
    EXPECT_TRUE(FakePlatform::Settings_Log().empty()); // no key was even opened
}

TEST_F(RegistryTest, TextsAreReadIntoExactlyTheirBuffer)
{
    struct
    {
        const char *What;
        std::string Stored;
        bool Read;
        std::string Expected;
    } cases[] = {
        {"500 bytes, no terminator", std::string(500, 'a'), false, ""},
        {"499 bytes, no terminator", std::string(499, 'b'), true, std::string(499, 'b')},
        {"500 bytes with terminator", std::string(499, 'c') + '\0', true, std::string(499, 'c')},
        {"501 bytes", std::string(500, 'd') + '\0', false, ""},
        {"no bytes", "", true, ""},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.What);
        Put("Text", Platform::SETTING_TEXT, c.Stored);
        CRegistry registry;
        registry.Create_Key(Platform::User_Settings_Root(), Location);
        std::unique_ptr<char[]> buffer(new char[REGISTRY_TEXT_SIZE]);
        memset(buffer.get(), 'x', REGISTRY_TEXT_SIZE);
        ASSERT_EQ(c.Read, registry.Get_String("Text", buffer.get()));
        if (c.Read)
        {
            EXPECT_EQ(c.Expected, std::string(buffer.get()));
        }
    }
}

TEST_F(RegistryTest, NumbersAreReadIntoExactlyFourBytesAndLeftAloneWhenUnreadable)
{
    CRegistry registry;
    registry.Create_Key(Platform::User_Settings_Root(), Location);
    std::unique_ptr<int32_t> number(new int32_t(-5));
    Put("Short", Platform::SETTING_BINARY, std::string("\x01\x02", 2));
    EXPECT_FALSE(registry.Get_Dword("Short", number.get()));
    EXPECT_EQ(-5, *number);
    Put("Long", Platform::SETTING_NUMBER, std::string("\x01\x02\x03\x04\x05", 5));
    EXPECT_FALSE(registry.Get_Dword("Long", number.get()));
    EXPECT_EQ(-5, *number);
    Put("Four", Platform::SETTING_NUMBER, std::string("\xfe\xff\xff\xff", 4));
    EXPECT_TRUE(registry.Get_Dword("Four", number.get()));
    EXPECT_EQ(-2, *number);
}

TEST_F(RegistryTest, TextsOf499CharactersPassTheLengthChecks)
{
    const std::string location = std::string(249, 'L') + "\\" + std::string(249, 'M');
    const std::string name(499, 'n');
    const std::string text(499, 't');
    ASSERT_EQ(499u, location.size());
    CRegistryString value(location.c_str(), name.c_str(), text.c_str());
    CRegistryInt number(location.c_str(), name.c_str(), 1);
    CRegistryBool flag(location.c_str(), name.c_str(), true);
    value.Set_Value(text.c_str());
    EXPECT_EQ(text, value.Get_Value());
    EXPECT_EQ(1u, FakePlatform::Settings()[location].count(name));
}

using RegistryDeathTest = RegistryTest;

TEST_F(RegistryDeathTest, AKeyTheStoreRefusesEndsTheProgram)
{
    FakePlatform::SettingsCreateError = 5; // ERROR_ACCESS_DENIED
    EXPECT_EXIT(CRegistryInt(Location, "Number", 1), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRegistryBool(Location, "Flag", false), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRegistryString(Location, "Text", ""), ::testing::ExitedWithCode(1), "beep");
}

TEST_F(RegistryDeathTest, AWriteTheStoreRefusesEndsTheProgram)
{
    CRegistryInt number(Location, "Number", 1);
    CRegistryString text(Location, "Text", "");
    FakePlatform::SettingsWriteError = 5;
    EXPECT_EXIT(CRegistryInt(Location, "Other", 1), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRegistryBool(Location, "Flag", false), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRegistryString(Location, "Other", ""), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(number.Set_Value(2), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(text.Set_Value("x"), ::testing::ExitedWithCode(1), "beep");
}

TEST_F(RegistryDeathTest, EveryAccessNeedsAnOpenKeyAndAName)
{
    CRegistry closed;
    int32_t number = 0;
    char text[REGISTRY_TEXT_SIZE];
    EXPECT_EXIT(closed.Set_Dword("Number", 1), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(closed.Set_String("Text", "t"), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(closed.Get_Dword("Number", &number), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(closed.Get_String("Text", text), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(closed.Create_Key(nullptr, Location), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(closed.Create_Key(Platform::User_Settings_Root(), nullptr),
                ::testing::ExitedWithCode(1), "beep");

    CRegistry open;
    open.Create_Key(Platform::User_Settings_Root(), Location);
    EXPECT_EXIT(open.Set_Dword(nullptr, 1), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(open.Set_String(nullptr, "t"), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(open.Set_String("Text", nullptr), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(open.Get_Dword(nullptr, &number), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(open.Get_String(nullptr, text), ::testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(open.Get_String("Text", nullptr), ::testing::ExitedWithCode(1), "beep");
}
