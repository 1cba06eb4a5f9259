// The typed registry values against a real store, one table of cases for both: compiled with
// the file store natively and with the Windows registry under Wine (registry_store.h).
#include "registry_store.h"

#include "twutility/registrybool.h"
#include "twutility/registryint.h"
#include "twutility/registrystring.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace
{

const char Location[] = "Software\\Tarnwick\\Quillomar";

const uint32_t REG_SZ_TYPE = 1;
const uint32_t REG_EXPAND_SZ_TYPE = 2;
const uint32_t REG_BINARY_TYPE = 3;
const uint32_t REG_DWORD_TYPE = 4;
const uint32_t REG_DWORD_BIG_ENDIAN_TYPE = 5;
const uint32_t REG_MULTI_SZ_TYPE = 7;
const uint32_t REG_QWORD_TYPE = 11;

typedef std::vector<uint8_t> CBytes;

CBytes Dword(uint32_t value)
{
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

CBytes Bytes(const std::string &text)
{
    return CBytes(text.begin(), text.end());
}

// A text as Set_String stores it: its characters and one terminating zero.
CBytes Text(const std::string &text)
{
    return Bytes(text + std::string(1, '\0'));
}

class RegistryCases : public ::testing::Test
{
protected:
    void SetUp() override { RegistryStore::Begin(); }
    void TearDown() override { RegistryStore::End(); }

    static void Expect_Raw(const char *name, uint32_t type, const CBytes &bytes,
                           const char *key_path = Location)
    {
        uint32_t stored_type = 0;
        CBytes stored;
        ASSERT_TRUE(RegistryStore::Get_Raw(key_path, name, &stored_type, &stored)) << name;
        EXPECT_EQ(type, stored_type) << name;
        EXPECT_EQ(bytes, stored) << name;
    }
};

// A value as a store may hold it before the program starts.
struct CStoredCase
{
    const char *What;
    bool Present;
    uint32_t Type;
    CBytes Bytes;
};

} // namespace

TEST_F(RegistryCases, FirstRunCreatesTheKeyAndEachValueWithItsInitialValue)
{
    ASSERT_FALSE(RegistryStore::Key_Exists(Location));
    CRegistryBool yes(Location, "ShowFramerate", true);
    CRegistryBool no(Location, "ReleaseLogging", false);
    CRegistryInt number(Location, "VersionMajor", -12345);
    CRegistryString text(Location, "Caption", "Bananas");

    EXPECT_TRUE(RegistryStore::Key_Exists("Software"));
    EXPECT_TRUE(RegistryStore::Key_Exists("Software\\Tarnwick"));
    EXPECT_TRUE(RegistryStore::Key_Exists(Location));
    Expect_Raw("ShowFramerate", REG_DWORD_TYPE, Dword(1));
    Expect_Raw("ReleaseLogging", REG_DWORD_TYPE, Dword(0));
    Expect_Raw("VersionMajor", REG_DWORD_TYPE, Dword(uint32_t(-12345)));
    Expect_Raw("Caption", REG_SZ_TYPE, Text("Bananas"));
    EXPECT_EQ(1u, yes.Get_Value());
    EXPECT_EQ(0u, no.Get_Value());
    EXPECT_EQ(-12345, number.Get_Value());
    EXPECT_STREQ("Bananas", text.Get_Value());
}

TEST_F(RegistryCases, IntegerReadsNumbersAndReplacesEverythingElseWithTheInitialValue)
{
    const int initial = 77;
    struct CIntCase
    {
        CStoredCase Stored;
        int32_t Expected;
    } cases[] = {
        {{"missing", false, 0, {}}, initial},
        {{"number", true, REG_DWORD_TYPE, Dword(5)}, 5},
        {{"negative number", true, REG_DWORD_TYPE, Dword(uint32_t(-7))}, -7},
        {{"largest number", true, REG_DWORD_TYPE, Dword(0x7FFFFFFF)}, INT_MAX},
        {{"smallest number", true, REG_DWORD_TYPE, Dword(0x80000000)}, INT_MIN},
        {{"binary of 4 bytes, little-endian", true, REG_BINARY_TYPE, {0x78, 0x56, 0x34, 0x12}},
         0x12345678},
        {{"binary of 2 bytes", true, REG_BINARY_TYPE, {5, 0}}, initial},
        {{"binary of 0 bytes", true, REG_BINARY_TYPE, {}}, initial},
        {{"binary of 5 bytes", true, REG_BINARY_TYPE, {5, 0, 0, 0, 0}}, initial},
        {{"number of 2 bytes", true, REG_DWORD_TYPE, {5, 0}}, initial},
        {{"number of 8 bytes", true, REG_DWORD_TYPE, {5, 0, 0, 0, 0, 0, 0, 0}}, initial},
        {{"text \"5\"", true, REG_SZ_TYPE, Text("5")}, initial},
        {{"text of 4 bytes", true, REG_SZ_TYPE, Text("123")}, initial},
        {{"64-bit number", true, REG_QWORD_TYPE, {5, 0, 0, 0, 0, 0, 0, 0}}, initial},
        {{"big-endian number", true, REG_DWORD_BIG_ENDIAN_TYPE, {0, 0, 0, 5}}, initial},
        {{"expanding text", true, REG_EXPAND_SZ_TYPE, Text("5")}, initial},
    };
    int row = 0;
    for (const CIntCase &c : cases)
    {
        SCOPED_TRACE(c.Stored.What);
        const std::string name = "Int" + std::to_string(row++);
        if (c.Stored.Present)
            RegistryStore::Put_Raw(Location, name.c_str(), c.Stored.Type, c.Stored.Bytes);
        CRegistryInt value(Location, name.c_str(), initial);
        EXPECT_EQ(c.Expected, value.Get_Value());
        Expect_Raw(name.c_str(), REG_DWORD_TYPE, Dword(uint32_t(c.Expected)));
    }
}

TEST_F(RegistryCases, YesNoKeepsAnyStoredNumberAndOnlyOneCountsAsYes)
{
    struct CBoolCase
    {
        CStoredCase Stored;
        bool Initial;
        uint32_t Expected;
    } cases[] = {
        {{"missing, initially no", false, 0, {}}, false, 0},
        {{"missing, initially yes", false, 0, {}}, true, 1},
        {{"0", true, REG_DWORD_TYPE, Dword(0)}, true, 0},
        {{"1", true, REG_DWORD_TYPE, Dword(1)}, false, 1},
        {{"2", true, REG_DWORD_TYPE, Dword(2)}, true, 2},
        {{"all bits", true, REG_DWORD_TYPE, Dword(0xFFFFFFFF)}, true, 0xFFFFFFFF},
        {{"text \"1\"", true, REG_SZ_TYPE, Text("1")}, false, 0},
        {{"binary 1 of 4 bytes", true, REG_BINARY_TYPE, Dword(1)}, false, 1},
        {{"binary 1 of 1 byte", true, REG_BINARY_TYPE, {1}}, false, 0},
    };
    int row = 0;
    for (const CBoolCase &c : cases)
    {
        SCOPED_TRACE(c.Stored.What);
        const std::string name = "Bool" + std::to_string(row++);
        if (c.Stored.Present)
            RegistryStore::Put_Raw(Location, name.c_str(), c.Stored.Type, c.Stored.Bytes);
        CRegistryBool value(Location, name.c_str(), c.Initial);
        EXPECT_EQ(c.Expected, value.Get_Value());
        Expect_Raw(name.c_str(), REG_DWORD_TYPE, Dword(c.Expected));
    }
}

TEST_F(RegistryCases, TextReadsTextsAndNumbersAndNeverMoreThanItsBuffer)
{
    const std::string a499(499, 'a');
    const std::string a500(500, 'a');
    const char initial[] = "initial";
    struct CTextCase
    {
        CStoredCase Stored;
        const char *Expected;
    } cases[] = {
        {{"missing", false, 0, {}}, initial},
        {{"text", true, REG_SZ_TYPE, Text("hello")}, "hello"},
        {{"empty text", true, REG_SZ_TYPE, Text("")}, ""},
        {{"number 42", true, REG_DWORD_TYPE, Dword(42)}, "42"},
        {{"number -7", true, REG_DWORD_TYPE, Dword(uint32_t(-7))}, "-7"},
        {{"smallest number", true, REG_DWORD_TYPE, Dword(0x80000000)}, "-2147483648"},
        {{"number of 2 bytes", true, REG_DWORD_TYPE, {42, 0}}, initial},
        {{"499 characters", true, REG_SZ_TYPE, Text(a499)}, a499.c_str()},
        {{"500 characters", true, REG_SZ_TYPE, Text(a500)}, initial},
        {{"1000 characters", true, REG_SZ_TYPE, Text(std::string(1000, 'b'))}, initial},
        {{"499 characters, no terminator", true, REG_SZ_TYPE, Bytes(a499)}, a499.c_str()},
        {{"500 characters, no terminator", true, REG_SZ_TYPE, Bytes(a500)}, initial},
        {{"short text, no terminator", true, REG_SZ_TYPE, Bytes("abc")}, "abc"},
        {{"zero inside", true, REG_SZ_TYPE, Bytes(std::string("ab\0cd\0", 6))}, "ab"},
        {{"binary", true, REG_BINARY_TYPE, Text("hi")}, initial},
        {{"expanding text", true, REG_EXPAND_SZ_TYPE, Text("%TEMP%")}, initial},
        {{"list of texts", true, REG_MULTI_SZ_TYPE, Bytes(std::string("a\0b\0\0", 5))}, initial},
    };
    int row = 0;
    for (const CTextCase &c : cases)
    {
        SCOPED_TRACE(c.Stored.What);
        const std::string name = "Text" + std::to_string(row++);
        if (c.Stored.Present)
            RegistryStore::Put_Raw(Location, name.c_str(), c.Stored.Type, c.Stored.Bytes);
        CRegistryString value(Location, name.c_str(), initial);
        EXPECT_STREQ(c.Expected, value.Get_Value());
        Expect_Raw(name.c_str(), REG_SZ_TYPE, Text(c.Expected));
    }
}

TEST_F(RegistryCases, SetValueWritesAtOnceAndGetValueAnswersFromMemory)
{
    CRegistryInt sheet(Location, "CurrentConfigureSheet", 0);
    sheet.Set_Value(1);
    Expect_Raw("CurrentConfigureSheet", REG_DWORD_TYPE, Dword(1));
    RegistryStore::Put_Raw(Location, "CurrentConfigureSheet", REG_DWORD_TYPE, Dword(5));
    EXPECT_EQ(1, sheet.Get_Value());
    sheet.Set_Value(-3);
    Expect_Raw("CurrentConfigureSheet", REG_DWORD_TYPE, Dword(uint32_t(-3)));

    CRegistryBool flag(Location, "ShowFramerate", false);
    RegistryStore::Put_Raw(Location, "ShowFramerate", REG_DWORD_TYPE, Dword(1));
    EXPECT_EQ(0u, flag.Get_Value());

    CRegistryString text(Location, "Caption", "old");
    text.Set_Value("new");
    Expect_Raw("Caption", REG_SZ_TYPE, Text("new"));
    RegistryStore::Put_Raw(Location, "Caption", REG_SZ_TYPE, Text("other"));
    EXPECT_STREQ("new", text.Get_Value());
    text.Set_Value(std::string(499, 'z').c_str());
    Expect_Raw("Caption", REG_SZ_TYPE, Text(std::string(499, 'z')));
    text.Set_Value(text.Get_Value());
    EXPECT_EQ(std::string(499, 'z'), text.Get_Value());
}

TEST_F(RegistryCases, NamesMatchWithoutRegardToCase)
{
    RegistryStore::Put_Raw("software\\TARNWICK\\quillomar", "showframerate", REG_DWORD_TYPE,
                           Dword(1));
    CRegistryBool flag(Location, "ShowFramerate", false);
    EXPECT_EQ(1u, flag.Get_Value());
    uint32_t type = 0;
    CBytes bytes;
    ASSERT_TRUE(RegistryStore::Get_Raw(Location, "SHOWFRAMERATE", &type, &bytes));
    EXPECT_EQ(Dword(1), bytes);
}

TEST_F(RegistryCases, OtherValuesAndKeysAreLeftAlone)
{
    RegistryStore::Put_Raw(Location, "Picture", REG_BINARY_TYPE, {1, 2, 3});
    RegistryStore::Put_Raw(Location, "Title", REG_SZ_TYPE, Text("x"));
    RegistryStore::Put_Raw("Software\\Other", "VersionMajor", REG_DWORD_TYPE, Dword(9));
    CRegistryInt major(Location, "VersionMajor", 1);
    CRegistryString caption(Location, "Caption", "c");
    major.Set_Value(2);
    Expect_Raw("Picture", REG_BINARY_TYPE, {1, 2, 3});
    Expect_Raw("Title", REG_SZ_TYPE, Text("x"));
    Expect_Raw("VersionMajor", REG_DWORD_TYPE, Dword(9), "Software\\Other");
    Expect_Raw("VersionMajor", REG_DWORD_TYPE, Dword(2));
}

TEST_F(RegistryCases, NamesAndTextsOfUpTo499CharactersFit)
{
    // Not locations: the registry's ANSI calls take key paths of at most 260 characters
    // (registry_test.cpp checks the 499 of the location itself).
    const std::string name(499, 'n');
    const std::string text(499, 't');
    CRegistryString value(Location, name.c_str(), text.c_str());
    EXPECT_EQ(text, value.Get_Value());
    Expect_Raw(name.c_str(), REG_SZ_TYPE, Text(text));
    CRegistryInt number(Location, (name.substr(1) + "i").c_str(), 3);
    EXPECT_EQ(3, number.Get_Value());
    CRegistryString longest_key(std::string(255, 'k').c_str(), "Name", "");
    EXPECT_TRUE(RegistryStore::Key_Exists(std::string(255, 'k').c_str()));
}

using RegistryCasesDeathTest = RegistryCases;

TEST_F(RegistryCasesDeathTest, MissingTextsAreBrokenPreconditions)
{
    EXPECT_EXIT(CRegistryInt(nullptr, "Name", 0), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryInt(Location, nullptr, 0), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryBool(nullptr, "Name", false), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryBool(Location, nullptr, false), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryString(nullptr, "Name", ""), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryString(Location, nullptr, ""), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryString(Location, "Name", nullptr), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            CRegistryString text(Location, "Name", "");
            text.Set_Value(nullptr);
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(RegistryCasesDeathTest, TextsOf500CharactersAreRefusedNotOverflowed)
{
    const std::string long_text(500, 'x');
    const char *too_long = long_text.c_str();
    EXPECT_EXIT(CRegistryInt(too_long, "Name", 0), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryInt(Location, too_long, 0), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryBool(too_long, "Name", false), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryBool(Location, too_long, false), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryString(too_long, "Name", ""), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryString(Location, too_long, ""), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryString(Location, "Name", too_long), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            CRegistryString text(Location, "Name", "");
            text.Set_Value(too_long);
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(RegistryCasesDeathTest, AStoreThatCannotBeWrittenEndsTheProgram)
{
    RegistryStore::Make_Unwritable();
    EXPECT_EXIT(CRegistryInt(Location, "VersionMajor", 1), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryBool(Location, "ShowFramerate", false), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CRegistryString(Location, "Caption", ""), ::testing::ExitedWithCode(1), "");
}
