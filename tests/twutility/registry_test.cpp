// Typed settings against the fake store: what each kind of stored value reads as, and what the
// typed values write back.
#include "twutility/registry.h"
#include "twutility/registrybool.h"
#include "twutility/registryint.h"
#include "twutility/registrystring.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

const char Location[] = "Software\\Tests\\Registry";

void Store(const char *name, uint32_t type, const std::string &bytes)
{
    FakePlatform::Settings()[Location][name] = {type, {bytes.begin(), bytes.end()}};
}

uint32_t Type(const char *name)
{
    return FakePlatform::Settings()[Location][name].Type;
}

std::string Bytes(const char *name)
{
    const std::vector<uint8_t> &bytes = FakePlatform::Settings()[Location][name].Bytes;
    return {bytes.begin(), bytes.end()};
}

const std::string Number(int32_t value)
{
    const uint32_t bits = uint32_t(value);
    return {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
}

class RegistryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::Reset();
        FakePlatform::Settings().erase(Location);
        Key.Create_Key(Platform::User_Settings_Root(), Location);
    }
    CRegistry Key;
};

TEST_F(RegistryTest, TextsWithOrWithoutTheirTerminator)
{
    char text[REGISTRY_TEXT_SIZE];
    Key.Set_String("T", "bananas");
    EXPECT_EQ(std::string("bananas", 8), Bytes("T"));
    EXPECT_TRUE(Key.Get_String("T", text));
    EXPECT_STREQ("bananas", text);
    Store("Bare", Platform::SETTING_TEXT, "abc");
    EXPECT_TRUE(Key.Get_String("Bare", text));
    EXPECT_STREQ("abc", text);
    Store("Longest", Platform::SETTING_TEXT, std::string(REGISTRY_TEXT_SIZE - 1, 'x'));
    EXPECT_TRUE(Key.Get_String("Longest", text));
    EXPECT_EQ(size_t(REGISTRY_TEXT_SIZE - 1), strlen(text));
}

TEST_F(RegistryTest, TooLongTextsAndOtherBytesAreNoText)
{
    char text[REGISTRY_TEXT_SIZE];
    Store("Full", Platform::SETTING_TEXT, std::string(REGISTRY_TEXT_SIZE, 'x'));
    Store("Huge", Platform::SETTING_TEXT, std::string(REGISTRY_TEXT_SIZE + 1, 'x'));
    Store("Binary", Platform::SETTING_BINARY, "abc");
    Store("Odd", Platform::SETTING_NUMBER, "ab");
    for (const char *name : {"Full", "Huge", "Binary", "Odd", "Missing"})
        EXPECT_FALSE(Key.Get_String(name, text)) << name;
}

TEST_F(RegistryTest, TypedValuesStartFromTheStoreAndWriteBackAtOnce)
{
    Store("Int", Platform::SETTING_BINARY, Number(42));
    Store("Bool", Platform::SETTING_NUMBER, Number(2));
    Store("String", Platform::SETTING_NUMBER, Number(-3));
    const int open = FakePlatform::OpenSettingsKeys;
    CRegistryInt number(Location, "Int", 3);
    CRegistryBool flag(Location, "Bool", false);
    CRegistryString text(Location, "String", "initial");
    EXPECT_EQ(42, number.Get_Value());
    EXPECT_EQ(2u, flag.Get_Value()); // as stored; only 1 counts as set
    EXPECT_STREQ("-3", text.Get_Value());
    EXPECT_EQ(Platform::SETTING_NUMBER, Type("Int"));
    EXPECT_EQ(Platform::SETTING_TEXT, Type("String"));
    number.Set_Value(-9);
    text.Set_Value(text.Get_Value() + 1);
    EXPECT_EQ(Number(-9), Bytes("Int"));
    EXPECT_STREQ("3", text.Get_Value());
    EXPECT_EQ(std::string("3", 2), Bytes("String"));
    EXPECT_EQ(open, FakePlatform::OpenSettingsKeys) << "every key closed again";
    Key.Create_Key(Platform::User_Settings_Root(), Location); // a second open closes the first
    EXPECT_EQ(open, FakePlatform::OpenSettingsKeys);
}

TEST_F(RegistryTest, MissingOrWrongKindsBecomeTheInitialValue)
{
    Store("Int", Platform::SETTING_TEXT, std::string("12", 3));
    Store("Bool", Platform::SETTING_BINARY, "\x01");
    Store("String", Platform::SETTING_BINARY, "abc");
    CRegistryInt number(Location, "Int", -5);
    CRegistryBool flag(Location, "Bool", true);
    CRegistryBool unset(Location, "Unset", false);
    CRegistryString text(Location, "String", "initial");
    EXPECT_EQ(-5, number.Get_Value());
    EXPECT_EQ(1u, flag.Get_Value());
    EXPECT_EQ(0u, unset.Get_Value());
    EXPECT_STREQ("initial", text.Get_Value());
    EXPECT_EQ(Number(-5), Bytes("Int"));
    EXPECT_EQ(Number(1), Bytes("Bool"));
    EXPECT_EQ(Number(0), Bytes("Unset"));
    EXPECT_EQ(std::string("initial", 8), Bytes("String"));
}

TEST_F(RegistryTest, AStoreThatCannotBeWrittenOrReadEndsTheProgram)
{
    FakePlatform::SettingsWriteError = 5; // ERROR_ACCESS_DENIED
    EXPECT_EXIT(Key.Set_Dword("A", 1), testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRegistryInt(Location, "B", 1), testing::ExitedWithCode(1), "beep");
    // Initial values written over stored ones that could not be read would lose them.
    FakePlatform::SettingsWriteError = 0;
    FakePlatform::SettingsReadError = 1117; // ERROR_IO_DEVICE
    EXPECT_EXIT(CRegistryInt(Location, "B", 1), testing::ExitedWithCode(1), "beep");
    EXPECT_EXIT(CRegistryString(Location, "C", "x"), testing::ExitedWithCode(1), "beep");
}

} // namespace
